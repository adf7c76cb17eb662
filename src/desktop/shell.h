// The desktop window's logic, free of any GUI toolkit: start-up, the blocking
// event loop, the five commands (choose input, choose output, generate,
// sample, open folder), their keyboard shortcuts, files given at start or
// dropped onto the window, the status texts, the message and question boxes
// and shutdown.
//
// The shell holds the two paths the user works with: inputPath (the
// description to convert; empty until chosen, never empty again once set)
// and outputPath (the SVG to write; starts as the files folder followed by
// DefaultOutputName). The controls showing them always show them, as
// shownPath shows a path to a person.
//
// The files folder, where the sample and the default output go, is the
// program's own folder, unless the program runs from the bin folder it was
// installed to or from a folder it cannot write: then it is the user's
// documents folder, so that the main flows work for an installed program.
//
// One thread does everything; a command runs to its end before the next
// event is taken. Failures of the parser, the renderer, the sample writer
// and Open folder reach the user as error message boxes through a
// MessageBoxReporter; no failure ends the program. The warnings about a
// description (diagnostics.h) reach the user after Generate: their number
// and the first one in the status area, up to five in the information box.
#ifndef FLOWSVG_DESKTOP_SHELL_H_
#define FLOWSVG_DESKTOP_SHELL_H_

#include <cstdint>

#include "desktop/toolkit.h"
#include "model/flowchart.h"
#include "base/reporter.h"
#include "base/strings.h"

// The window's client size and its thirteen controls, by id in creation
// order.
inline constexpr int32_t WindowWidth = 700;
inline constexpr int32_t WindowHeight = 380;
enum ControlId : int32_t {
  BannerText = 1,
  FilesFrame = 2,
  InputCaptionText = 3,
  ChooseInputButton = 4,
  InputPathText = 5,
  OutputCaptionText = 6,
  ChooseOutputButton = 7,
  OutputPathText = 8,
  CommandsFrame = 9,
  GenerateButton = 10,
  SampleButton = 11,
  OpenFolderButton = 12,
  StatusText = 13,
};

// Where the program runs from, as the desktop program finds it on the
// system (user_folders.h); the tests state it.
struct ProgramPlace {
  Text programFile;        // full path of the running program
  bool installed = false;  // it runs from the bin folder it was installed to
  bool folderWritable = true;  // its folder can be written
  Text documentsFolder;        // the user's documents folder, ending in a
                               // separator; empty when unknown
};

// Shows every reported failure as an error message box titled
// MessageBoxTitle.
class MessageBoxReporter : public Reporter {
 public:
  explicit MessageBoxReporter(Toolkit& toolkit) : toolkit_(toolkit) {}
  // The caption and path, and the reason on a line of its own.
  void reportError(TextView caption, TextView path, TextView reason) override;

 private:
  Toolkit& toolkit_;
};

class Shell {
 public:
  // place tells where the files folder is (see above). chart is the one
  // model the commands parse into; the shell uses it for as long as run()
  // runs.
  Shell(Toolkit& toolkit, Flowchart& chart, const ProgramPlace& place);

  // Start-up (empty model, connector palette, window, controls, paths,
  // shortcuts, the focus on the input's Browse... button), then the start
  // file, unless Cancelled, taken as a dropped file is (the FILE of the
  // command line); the event loop until a close request, then shutdown.
  // Returns the process's exit status: 0, also for a window that cannot
  // open where nobody would see it; 1 for a window that cannot open after
  // the toolkit told why (no display).
  int32_t run(const FileChoice& startFile = FileChoice());

  const Text& inputPath() const { return inputPath_; }
  const Text& outputPath() const { return outputPath_; }

 private:
  void createControls();
  void addShortcuts();
  void selectInput(const Text& path);
  // Whether the choice names no local file; then reported with caption.
  bool notLocal(const FileChoice& choice, TextView caption);
  void takeInputFile(const FileChoice& choice);
  void chooseInput();
  void chooseOutput();
  void generate();
  void writeSample();
  void openFolder();
  void setStatus(TextView text);

  Toolkit& toolkit_;
  Flowchart& chart_;
  MessageBoxReporter reporter_;
  Text filesFolder_;
  Text inputPath_;
  Text outputPath_;
};

#endif  // FLOWSVG_DESKTOP_SHELL_H_
