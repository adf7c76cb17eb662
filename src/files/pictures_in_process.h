// Drawing a PNG or PDF in this process (raster/raster.h), for programs that
// are linked dynamically anyway (the window, the picture program): librsvg
// and cairo are loaded on the first picture. Linux builds only.
#ifndef FLOWSVG_FILES_PICTURES_IN_PROCESS_H_
#define FLOWSVG_FILES_PICTURES_IN_PROCESS_H_

#include "files/picture_drawing.h"
#include "raster/raster.h"

// The renderer's options for settings.
RasterOptions rasterOptionsFor(const DrawingSettings& settings);

// A PictureDrawer (picture_drawing.h).
Status drawPictureInProcess(std::string_view svg,
                            const DrawingSettings& settings, FileHandle file);

#endif  // FLOWSVG_FILES_PICTURES_IN_PROCESS_H_
