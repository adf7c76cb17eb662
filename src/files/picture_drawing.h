// Who draws a PNG or PDF from a drawing's SVG bytes. Each program chooses
// once, at its start, before any conversion: the command line hands the
// SVG to its picture program (picture_program.h), so that flowsvg itself
// stays a small static program; the window draws in its own process
// (pictures_in_process.h). Until one is chosen, or where pictures are not
// built (Windows), a picture fails with PicturesUnavailable.
#ifndef FLOWSVG_FILES_PICTURE_DRAWING_H_
#define FLOWSVG_FILES_PICTURE_DRAWING_H_

#include <string_view>

#include "base/status.h"
#include "files/drawing_format.h"
#include "platform/text_file.h"

// Draws the picture of svg that settings ask for (format, scale, PDF date)
// into the open file, which stays open; the file's own failures are told
// by finishWriting. A picture that cannot be drawn is the Status; part of
// it may be in the file. Memory running out throws std::bad_alloc.
using PictureDrawer = Status (*)(std::string_view svg,
                                 const DrawingSettings& settings,
                                 FileHandle file);

// Called before any conversion starts (not thread-safe against them).
void usePictureDrawer(PictureDrawer drawer);

// Draws with the chosen drawer.
Status drawPicture(std::string_view svg, const DrawingSettings& settings,
                   FileHandle file);

#endif  // FLOWSVG_FILES_PICTURE_DRAWING_H_
