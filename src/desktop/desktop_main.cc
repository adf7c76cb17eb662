// flowsvg-desktop [FILE]: the converter in one small fixed window, started
// with FILE chosen as the description when one is given. --help and
// --version print and exit without a window. Exits with status 0 when the
// window closes, also when no window can be opened; 64 on wrong usage.
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/desktop_options.h"
#include "desktop/shell.h"
#include "desktop/toolkit.h"
#include "desktop/user_folders.h"
#include "model/flowchart.h"
#include "text/paths.h"
#include "text/temporary_files.h"
#include "text/utf8.h"
#include "text/wording.h"

#ifndef FLOWSVG_INSTALL_BINDIR
#error "FLOWSVG_INSTALL_BINDIR names the bin folder the program installs to"
#endif

namespace {

constexpr int ExitShown = 0;
constexpr int ExitUnprinted = 2;
constexpr int ExitUsage = 64;  // EX_USAGE

// The one model of the run; each generate command parses into it afresh.
Flowchart chart;

// Writes text to stream; false when it did not all reach it.
bool print(FILE* stream, TextView text) {
  const std::string bytes = encodeUtf8(text);
  const size_t put = std::fwrite(bytes.data(), 1, bytes.size(), stream);
  return std::fflush(stream) == 0 && put == bytes.size();
}

// Where this program runs from, for the shell's choice of its files folder.
ProgramPlace findProgramPlace() {
  ProgramPlace place;
  place.programFile = programPath();
  const Text folder = folderPart(place.programFile);
  place.installed =
      sameFolder(folder, textFromNativePath(FLOWSVG_INSTALL_BINDIR)) == 1;
  place.folderWritable = canWriteInFolder(folder) == 1;
  place.documentsFolder = documentsFolder();
  return place;
}

}  // namespace

int main(int argc, char** argv) {
  guardTemporaryFiles();
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
  const DesktopOptions options = parseDesktopCommandLine(args);
  switch (options.action) {
    case DesktopAction::ShowHelp:
      return print(stdout, desktopHelpText()) ? ExitShown : ExitUnprinted;
    case DesktopAction::ShowVersion:
      return print(stdout, Text(wording::Version) + u"\n") ? ExitShown
                                                           : ExitUnprinted;
    case DesktopAction::Misuse:
      print(stderr, options.complaint + u"\n");
      return ExitUsage;
    case DesktopAction::OpenWindow:
      break;
  }
  FileChoice start;
  if (options.hasFile) {
    start.outcome = FileChoice::Outcome::Chosen;
    start.path = absolutePath(options.file, workingFolder());
  }
  const std::unique_ptr<Toolkit> toolkit = newDesktopToolkit();
  Shell shell(*toolkit, chart, findProgramPlace());
  return shell.run(start);
}
