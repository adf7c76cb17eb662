#include "raster/raster_fonts.h"

#include <string_view>

#include "base/strings.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

// Escapes a folder name for the XML text it is written into.
std::string xmlText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string renderingFontConfiguration(const std::string& liberationFolder) {
  const std::string folder = xmlText(liberationFolder);
  // Liberation Sans comes first for every family the SVG names; the other
  // fonts of the machine are there only for characters it lacks. Any other
  // file of Liberation Sans (fonts-liberation's older 1.x among them) is
  // rejected by its name, so the glyphs are the same on every machine.
  return "<?xml version=\"1.0\"?>\n"
         "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
         "<fontconfig>\n"
         "  <dir>" + folder + "</dir>\n"
         "  <dir>/usr/share/fonts</dir>\n"
         "  <dir>/usr/local/share/fonts</dir>\n"
         "  <cachedir>/var/cache/fontconfig</cachedir>\n"
         "  <selectfont>\n"
         "    <acceptfont><glob>" + folder + "/*</glob></acceptfont>\n"
         "    <rejectfont><glob>*LiberationSans*</glob></rejectfont>\n"
         "  </selectfont>\n"
         "  <match target=\"pattern\">\n"
         "    <edit name=\"family\" mode=\"prepend_first\" binding=\"strong\">"
         "<string>Liberation Sans</string></edit>\n"
         "  </match>\n"
         "</fontconfig>\n";
}

Status useRenderingFonts(const RasterLibraries& libraries,
                         const std::string& liberationFolder) {
  const RasterLibraries& l = libraries;
  FcConfig* config = l.fcConfigCreate();
  if (!config) return Status::outOfMemory();
  const std::string xml = renderingFontConfiguration(liberationFolder);
  if (!l.fcConfigParseAndLoadFromMemory(
          config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcFalse) ||
      !l.fcConfigBuildFonts(config)) {
    l.fcConfigDestroy(config);
    return Status::error(Text(wording::RasterFontSetupReason));
  }
  // The regular Liberation Sans must be there, from the folder given.
  bool found = false;
  const std::string regular = liberationFolder + "/LiberationSans-Regular.ttf";
  if (FcFontSet* fonts = l.fcConfigGetFonts(config, FcSetSystem)) {
    for (int i = 0; i < fonts->nfont && !found; ++i) {
      FcChar8* file = nullptr;
      if (l.fcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) ==
              FcResultMatch &&
          startsWith(reinterpret_cast<const char*>(file), regular)) {
        found = true;
      }
    }
  }
  if (!found) {
    l.fcConfigDestroy(config);
    return Status::error(replaceAll(wording::RasterFontMissingReason,
                                    u"{path}", decodeUtf8(regular)));
  }
  // The current configuration holds its own reference from here on.
  const bool made = l.fcConfigSetCurrent(config);
  l.fcConfigDestroy(config);
  if (!made) return Status::error(Text(wording::RasterFontSetupReason));
  return Status();
}
