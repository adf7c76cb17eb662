// librsvg, cairo, GLib and fontconfig, opened with dlopen the first time a
// PNG or PDF is asked for, so that a program that only writes SVG never
// loads them (librsvg brings about 60 libraries with it).
//
// The function pointers take their types from the libraries' own headers,
// so a mismatch is a compile error; nothing links against the libraries.
#ifndef FLOWSVG_RASTER_RASTER_LIBRARIES_H_
#define FLOWSVG_RASTER_RASTER_LIBRARIES_H_

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <librsvg/rsvg.h>

#include <array>
#include <string>

#include "base/status.h"

struct RasterLibraries {
  // librsvg
  decltype(&rsvg_handle_new_from_data) handleNewFromData;
  decltype(&rsvg_handle_set_dpi) handleSetDpi;
  decltype(&rsvg_handle_get_intrinsic_size_in_pixels) intrinsicSizeInPixels;
  decltype(&rsvg_handle_render_document) renderDocument;
  // GLib and GObject
  decltype(&g_object_unref) objectUnref;
  decltype(&g_error_free) errorFree;
  // cairo
  decltype(&cairo_image_surface_create) imageSurfaceCreate;
  decltype(&cairo_pdf_surface_create_for_stream) pdfSurfaceCreateForStream;
  decltype(&cairo_pdf_surface_set_metadata) pdfSetMetadata;
  decltype(&cairo_surface_write_to_png_stream) writeToPngStream;
  decltype(&cairo_surface_status) surfaceStatus;
  decltype(&cairo_surface_finish) surfaceFinish;
  decltype(&cairo_surface_destroy) surfaceDestroy;
  decltype(&cairo_create) create;
  decltype(&cairo_status) status;
  decltype(&cairo_scale) scale;
  decltype(&cairo_destroy) destroy;
  decltype(&cairo_status_to_string) statusToString;
  // fontconfig
  decltype(&FcConfigCreate) fcConfigCreate;
  decltype(&FcConfigParseAndLoadFromMemory) fcConfigParseAndLoadFromMemory;
  decltype(&FcConfigBuildFonts) fcConfigBuildFonts;
  decltype(&FcConfigSetCurrent) fcConfigSetCurrent;
  decltype(&FcConfigDestroy) fcConfigDestroy;
  decltype(&FcConfigGetFonts) fcConfigGetFonts;
  decltype(&FcPatternGetString) fcPatternGetString;
};

// The shared objects, by soname, in the order they are opened.
struct RasterLibraryNames {
  std::string rsvg = "librsvg-2.so.2";
  std::string gobject = "libgobject-2.0.so.0";
  std::string glib = "libglib-2.0.so.0";
  std::string cairo = "libcairo.so.2";
  std::string fontconfig = "libfontconfig.so.1";
};

// Opens the libraries named and fills libraries with their functions. On
// failure the reason names the library and gives the loader's message, or
// says that the program is linked statically (nothing is loaded into such a
// program: it would crash); what
// was opened stays open (the libraries cannot be unloaded safely once GLib
// has started its types). Not thread-safe by itself: see rasterLibraries().
Status openRasterLibraries(const RasterLibraryNames& names,
                           RasterLibraries& libraries);

// The libraries of the running program, opened on the first call (once,
// whichever thread calls first); later calls give the same outcome. Null
// with the reason in status when they cannot be opened.
const RasterLibraries* rasterLibraries(Status& status);

#endif  // FLOWSVG_RASTER_RASTER_LIBRARIES_H_
