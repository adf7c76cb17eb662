#include "raster/raster_libraries.h"

#include <dlfcn.h>
#include <link.h>

#include <mutex>
#include <new>

#include "base/strings.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

Status missingLibrary(const std::string& soname, const char* detail) {
  Text reason = replaceAll(wording::RasterLibraryMissingReason, u"{library}",
                           decodeUtf8(soname));
  return Status::error(replaceAll(reason, u"{detail}",
                                  decodeUtf8(detail ? detail : "")));
}

// Whether the running program was started by the dynamic loader. A
// statically linked program carries a libc of its own that the libraries'
// libc cannot share, and loading librsvg into it crashes; such a program has
// no interpreter header. The first object dl_iterate_phdr visits is the
// program itself.
int noteInterpreter(dl_phdr_info* info, size_t, void* found) {
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_INTERP) *static_cast<bool*>(found) = true;
  }
  return 1;  // the program only
}

bool linkedDynamically() {
  bool found = false;
  dl_iterate_phdr(noteInterpreter, &found);
  return found;
}

// Opens one library; null after filling status.
void* openLibrary(const std::string& soname, Status& status) {
  // RTLD_LOCAL: the program's own symbols never mix with the libraries'.
  void* handle = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) status = missingLibrary(soname, dlerror());
  return handle;
}

// Looks up each function of one library; stops at the first one missing.
class Resolver {
 public:
  Resolver(void* handle, const std::string& soname, Status& status)
      : handle_(handle), soname_(soname), status_(status) {}

  template <typename F>
  void operator()(F& function, const char* name) {
    if (!status_.ok()) return;
    void* address = dlsym(handle_, name);
    if (!address) {
      status_ = missingLibrary(soname_, dlerror());
      return;
    }
    function = reinterpret_cast<F>(address);
  }

 private:
  void* handle_;
  const std::string& soname_;
  Status& status_;
};

}  // namespace

Status openRasterLibraries(const RasterLibraryNames& names,
                           RasterLibraries& libraries) {
  if (!linkedDynamically()) {
    return Status::error(Text(wording::RasterStaticProgramReason));
  }
  Status status;
  void* rsvg = openLibrary(names.rsvg, status);
  if (!status.ok()) return status;
  void* gobject = openLibrary(names.gobject, status);
  if (!status.ok()) return status;
  void* glib = openLibrary(names.glib, status);
  if (!status.ok()) return status;
  void* cairo = openLibrary(names.cairo, status);
  if (!status.ok()) return status;
  void* fontconfig = openLibrary(names.fontconfig, status);
  if (!status.ok()) return status;

  RasterLibraries& l = libraries;
  Resolver fromRsvg(rsvg, names.rsvg, status);
  fromRsvg(l.handleNewFromData, "rsvg_handle_new_from_data");
  fromRsvg(l.handleSetDpi, "rsvg_handle_set_dpi");
  fromRsvg(l.intrinsicSizeInPixels,
           "rsvg_handle_get_intrinsic_size_in_pixels");
  fromRsvg(l.renderDocument, "rsvg_handle_render_document");
  Resolver fromGobject(gobject, names.gobject, status);
  fromGobject(l.objectUnref, "g_object_unref");
  Resolver fromGlib(glib, names.glib, status);
  fromGlib(l.errorFree, "g_error_free");
  Resolver fromCairo(cairo, names.cairo, status);
  fromCairo(l.imageSurfaceCreate, "cairo_image_surface_create");
  fromCairo(l.pdfSurfaceCreateForStream,
            "cairo_pdf_surface_create_for_stream");
  fromCairo(l.pdfSetMetadata, "cairo_pdf_surface_set_metadata");
  fromCairo(l.writeToPngStream, "cairo_surface_write_to_png_stream");
  fromCairo(l.surfaceStatus, "cairo_surface_status");
  fromCairo(l.surfaceFinish, "cairo_surface_finish");
  fromCairo(l.surfaceDestroy, "cairo_surface_destroy");
  fromCairo(l.create, "cairo_create");
  fromCairo(l.status, "cairo_status");
  fromCairo(l.scale, "cairo_scale");
  fromCairo(l.destroy, "cairo_destroy");
  fromCairo(l.statusToString, "cairo_status_to_string");
  Resolver fromFontconfig(fontconfig, names.fontconfig, status);
  fromFontconfig(l.fcConfigCreate, "FcConfigCreate");
  fromFontconfig(l.fcConfigParseAndLoadFromMemory,
                 "FcConfigParseAndLoadFromMemory");
  fromFontconfig(l.fcConfigBuildFonts, "FcConfigBuildFonts");
  fromFontconfig(l.fcConfigSetCurrent, "FcConfigSetCurrent");
  fromFontconfig(l.fcConfigDestroy, "FcConfigDestroy");
  fromFontconfig(l.fcConfigGetFonts, "FcConfigGetFonts");
  fromFontconfig(l.fcPatternGetString, "FcPatternGetString");
  return status;
}

const RasterLibraries* rasterLibraries(Status& status) {
  static std::once_flag once;
  static RasterLibraries libraries;
  static Status outcome;
  std::call_once(once, [] {
    try {
      outcome = openRasterLibraries(RasterLibraryNames{}, libraries);
    } catch (const std::bad_alloc&) {
      outcome = Status::outOfMemory();
    }
  });
  status = outcome;
  return outcome.ok() ? &libraries : nullptr;
}
