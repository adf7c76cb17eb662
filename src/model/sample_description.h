// The ready-made sample description that the window's sample command,
// `flowsvg --sample` and the browser page's Sample give.
#ifndef FLOWSVG_MODEL_SAMPLE_DESCRIPTION_H_
#define FLOWSVG_MODEL_SAMPLE_DESCRIPTION_H_

#include <string>

// The bytes of the sample: its 40 lines (wording::SampleLines) in UTF-8,
// each ended by CR LF.
std::string sampleDescription();

#endif  // FLOWSVG_MODEL_SAMPLE_DESCRIPTION_H_
