// flowsvg's picture program: flowsvg is linked statically on Linux (it
// starts faster), and a static program cannot load librsvg and cairo, so
// it hands each PNG or PDF to this small dynamically linked program of
// ours, installed with it:
//   flowsvg-picture png|pdf SCALE [DATE] < SVG > PICTURE
// It reads the whole SVG from standard input, then writes the picture to
// standard output (SCALE sizes a PNG; DATE, seconds since 1970 UTC, dates a
// PDF); it touches no file. On failure it writes the reason as one UTF-8
// line to standard error and exits 1. Linux builds only.
#ifndef FLOWSVG_FILES_PICTURE_PROGRAM_H_
#define FLOWSVG_FILES_PICTURE_PROGRAM_H_

#include <string>
#include <vector>

#include "files/picture_drawing.h"

// Where the picture program is: PictureProgramFromBin (the installed
// program's folder relative to the folder of flowsvg, the same in the build
// tree) from the folder of the running program.
Text pictureProgramPath();

// The arguments that ask the picture program for settings' picture, its
// own name first (the program reads them back with from_chars, kept out
// of flowsvg, whose start it would slow).
std::vector<std::string> pictureProgramArguments(
    const DrawingSettings& settings);

// A PictureDrawer (picture_drawing.h) that runs the picture program with
// the SVG on its standard input and hands its standard output to file.
// Its reason (its standard error), or how it ended, is the Status; a
// program that cannot be started is PictureProgramStartReason.
Status drawPictureByProgram(std::string_view svg,
                            const DrawingSettings& settings, FileHandle file);

#endif  // FLOWSVG_FILES_PICTURE_PROGRAM_H_
