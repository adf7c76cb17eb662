#include "desktop/desktop_options.h"

#include "platform/paths.h"
#include "base/wording.h"

namespace {

DesktopOptions misuse(Text complaint) {
  DesktopOptions options;
  options.action = DesktopAction::Misuse;
  options.complaint = complaint + Text(wording::ComplaintSeparator) +
                      Text(wording::DesktopUsageLine);
  return options;
}

// "/?", the help of Windows programs; on POSIX a file in the root folder.
bool isWindowsHelp([[maybe_unused]] const Text& arg) {
#ifdef _WIN32
  return arg == u"/?";
#else
  return false;
#endif
}

}  // namespace

DesktopOptions parseDesktopCommandLine(const std::vector<Text>& args) {
  for (const Text& arg : args) {
    if (arg == u"--") break;
    if (arg == u"--help" || arg == u"-h" || isWindowsHelp(arg)) {
      DesktopOptions options;
      options.action = DesktopAction::ShowHelp;
      return options;
    }
    if (arg == u"--version") {
      DesktopOptions options;
      options.action = DesktopAction::ShowVersion;
      return options;
    }
  }
  std::vector<Text> files;
  bool optionsEnded = false;
  for (const Text& arg : args) {
    if (optionsEnded || arg == u"-" || arg.empty() || arg[0] != u'-') {
      files.push_back(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else {
      return misuse(Text(wording::DesktopUnknownOptionBefore) + shownPath(arg));
    }
  }
  if (files.size() > 1) return misuse(Text(wording::DesktopTooManyFiles));
  DesktopOptions options;
  options.action = DesktopAction::OpenWindow;
  if (!files.empty()) {
    options.hasFile = true;
    options.file = files[0];
  }
  return options;
}

Text desktopHelpText() {
  Text help;
  for (TextView line : wording::DesktopHelpLines) {
    help += line;
    help += u'\n';
  }
  return help;
}

Text absolutePath(TextView path, TextView folder) {
  const bool absolute = (!path.empty() && isSeparator(path[0])) ||
                        (path.size() >= 2 && path[1] == u':' &&
                         ((path[0] >= u'A' && path[0] <= u'Z') ||
                          (path[0] >= u'a' && path[0] <= u'z')));
  if (absolute || path.empty() || folder.empty()) return Text(path);
  return Text(folder) + Text(path);
}
