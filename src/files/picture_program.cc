#include "files/picture_program.h"

#include <charconv>
#include <cstdint>

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

std::string numberText(double value) {
  char buffer[64];
  const auto done = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, done.ptr);
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

bool pictureSettingsFromArguments(const std::vector<std::string>& arguments,
                                  DrawingSettings* settings) {
  if (arguments.size() < 2 || arguments.size() > 3) return false;
  DrawingSettings read;
  if (arguments[0] == "png") {
    read.format = DrawingFormat::Png;
  } else if (arguments[0] == "pdf") {
    read.format = DrawingFormat::Pdf;
  } else {
    return false;
  }
  const std::string& scale = arguments[1];
  const auto scaleEnd = scale.data() + scale.size();
  const auto scaleRead = std::from_chars(scale.data(), scaleEnd, read.scale);
  if (scaleRead.ec != std::errc() || scaleRead.ptr != scaleEnd) return false;
  if (arguments.size() == 3) {
    const std::string& date = arguments[2];
    const auto dateEnd = date.data() + date.size();
    const auto dateRead =
        std::from_chars(date.data(), dateEnd, read.documentDate);
    if (dateRead.ec != std::errc() || dateRead.ptr != dateEnd ||
        read.documentDate < 0) {
      return false;
    }
  }
  *settings = read;
  return true;
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
