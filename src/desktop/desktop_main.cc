// flowsvg-desktop [FILE]: the converter in one small fixed window, started
// with FILE chosen as the description when one is given. --help and
// --version print and exit without a window. Exits with status 0 when the
// window closes; 1 when no window can be opened for want of a display (0
// where nobody would see one) or when memory runs out beyond what a command
// can report; 64 on wrong usage, whose complaint goes to standard error or,
// for a program started without one (two files dropped onto it in Windows'
// Explorer), into a message box.
#include <new>
#include <vector>

#include "desktop/desktop_options.h"
#include "desktop/served_preview.h"
#include "desktop/shell.h"
#include "desktop/toolkit.h"
#include "platform/user_folders.h"
#include "model/flowchart.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"
#include "base/wording.h"

#ifdef FLOWSVG_PICTURES_IN_PROCESS
#include "files/pictures_in_process.h"
#endif

#if !defined(_WIN32) && !defined(FLOWSVG_INSTALL_BINDIR)
#error "FLOWSVG_INSTALL_BINDIR names the bin folder the program installs to"
#endif

namespace {

constexpr int ExitShown = 0;
constexpr int ExitOutOfMemory = 1;
constexpr int ExitUnprinted = 2;
constexpr int ExitUsage = 64;  // EX_USAGE

// The one model of the run; each generate command parses into it afresh.
Flowchart chart;

// Where this program runs from, for the shell's choice of its files folder.
ProgramPlace findProgramPlace() {
  ProgramPlace place;
  place.programFile = programPath();
  const Text folder = folderPart(place.programFile);
#ifdef _WIN32
  // An installer may put the program anywhere; under Program Files, where
  // it goes by default, its user cannot write, which the check below sees.
  place.installed = false;
#else
  place.installed =
      sameFolder(folder, textFromNativePath(FLOWSVG_INSTALL_BINDIR)) == 1;
#endif
  place.folderWritable = canWriteInFolder(folder) == 1;
  place.documentsFolder = documentsFolder();
  return place;
}

}  // namespace

namespace {

int run(int argc, NativeChar** argv) {
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
  const DesktopOptions options = parseDesktopCommandLine(args);
  switch (options.action) {
    case DesktopAction::ShowHelp:
      return writeToStream(StandardStream::Output, desktopHelpText())
                 ? ExitShown
                 : ExitUnprinted;
    case DesktopAction::ShowVersion:
      return writeToStream(StandardStream::Output,
                           Text(wording::Version) + u"\n")
                 ? ExitShown
                 : ExitUnprinted;
    case DesktopAction::Misuse:
      if (!writeToStream(StandardStream::Error, options.complaint + u"\n")) {
        showMessageWithoutWindow(wording::MessageBoxTitle, options.complaint,
                                 MessageIcon::Error);
      }
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
  ServedPreview preview(*toolkit);
  Shell shell(*toolkit, chart, findProgramPlace(), preview);
  return shell.run(start);
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16, which a Text already is.
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  guardTemporaryFiles();
#ifdef FLOWSVG_PICTURES_IN_PROCESS
  // The window is linked dynamically anyway: it draws PNG and PDF itself.
  usePictureDrawer(drawPictureInProcess);
#endif
  // Started from a console, --help and the complaints are shown there.
  useParentConsole();
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Memory ran out where no command could say so (reading a description
    // and writing a drawing say it in their error boxes): the program ends
    // cleanly, without a temporary file.
    removeRememberedTemporaryFiles();
    writeAsciiLine(StandardStream::Error, wording::DesktopOutOfMemoryLine);
    return ExitOutOfMemory;
  }
}
