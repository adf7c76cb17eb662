// What the flowsvg-desktop command line asks for: `flowsvg-desktop [FILE]`,
// `--help` or `--version`.
#ifndef FLOWSVG_DESKTOP_DESKTOP_OPTIONS_H_
#define FLOWSVG_DESKTOP_DESKTOP_OPTIONS_H_

#include <vector>

#include "base/strings.h"

enum class DesktopAction { OpenWindow, ShowHelp, ShowVersion, Misuse };

struct DesktopOptions {
  DesktopAction action = DesktopAction::Misuse;
  bool hasFile = false;  // OpenWindow: a FILE was given
  Text file;             // OpenWindow: that FILE, as given
  Text complaint;  // Misuse: one line telling what is wrong, with the usage
};

// Reads the arguments (without the program name). "--help" (or "-h", or on
// Windows "/?") and "--version" anywhere win over everything else. "-" alone
// and every other argument not starting with "-" is a FILE, as is everything
// after "--". More than one FILE, or any other argument starting with "-", is
// misuse.
DesktopOptions parseDesktopCommandLine(const std::vector<Text>& args);

// The help for --help, one text with LF line ends.
Text desktopHelpText();

// path made absolute against folder (which ends in a separator): a path
// that starts with a separator, or with a drive letter and ":", stays as it
// is; any other is appended to folder. An empty path or folder leaves path
// as it is.
Text absolutePath(TextView path, TextView folder);

#endif  // FLOWSVG_DESKTOP_DESKTOP_OPTIONS_H_
