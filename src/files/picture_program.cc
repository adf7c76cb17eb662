#include "files/picture_program.h"

#include <cstdint>
#include <cstdio>

#include "base/path_text.h"
#include "base/utf8.h"
#include "base/wording.h"
#include "platform/filter_program.h"
#include "platform/paths.h"

#ifndef FLOWSVG_PICTURE_PROGRAM_FROM_BIN
#error "FLOWSVG_PICTURE_PROGRAM_FROM_BIN names the picture program's folder"
#endif

namespace {

constexpr char kProgramName[] = "flowsvg-picture";

// The number in the C locale's form, which is the only one flowsvg has
// ("0.25", "2"): exact, as 17 digits give a double back.
std::string numberText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

// The program's reason: its standard error without the line end.
Text reasonOf(std::string errors) {
  while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) {
    errors.pop_back();
  }
  return decodeUtf8Escaped(errors);
}

}  // namespace

Text pictureProgramPath() {
  Text folder = folderPart(programPath());
  if (!folder.empty() && folder.back() != u'/') folder += u"/";
  return folder +
         textFromNativePath(std::string(FLOWSVG_PICTURE_PROGRAM_FROM_BIN)) +
         u"/" + textFromNativePath(std::string(kProgramName));
}

std::vector<std::string> pictureProgramArguments(
    const DrawingSettings& settings) {
  std::vector<std::string> arguments = {
      kProgramName, settings.format == DrawingFormat::Pdf ? "pdf" : "png",
      numberText(settings.scale)};
  if (settings.documentDate >= 0) {
    arguments.push_back(std::to_string(settings.documentDate));
  }
  return arguments;
}

Status drawPictureByProgram(std::string_view svg,
                            const DrawingSettings& settings, FileHandle file) {
  const Text path = pictureProgramPath();
  const FilterOutcome outcome = runFilterProgram(
      nativePath(path), pictureProgramArguments(settings), svg,
      [file](std::string_view bytes) { writeContent(file, bytes); });
  if (!outcome.started) {
    return Status::error(replaceAll(wording::PictureProgramStartReason,
                                    u"{reason}",
                                    path + u": " + outcome.startReason));
  }
  if (outcome.exitStatus == 0) return Status();
  const Text said = reasonOf(outcome.errors);
  if (!said.empty()) return Status::error(said);
  if (outcome.signal != 0) {
    return Status::error(replaceAll(wording::PictureProgramSignalReason,
                                    u"{signal}",
                                    formatInteger(outcome.signal)));
  }
  return Status::error(replaceAll(wording::PictureProgramExitReason,
                                  u"{status}",
                                  formatInteger(outcome.exitStatus)));
}
