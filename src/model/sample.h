// The ready-made sample description: the bytes that the window's sample
// command and `flowsvg --sample` write, the 40 lines of wording::SampleLines
// (model/keywords.h) in UTF-8, each ended by CR LF.
#ifndef FLOWSVG_MODEL_SAMPLE_H_
#define FLOWSVG_MODEL_SAMPLE_H_

#include <string>

std::string sampleDescriptionBytes();

#endif  // FLOWSVG_MODEL_SAMPLE_H_
