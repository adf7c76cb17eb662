#include "desktop/shell.h"

#include "model/parser.h"
#include "model/sample_file.h"
#include "render/connectors.h"
#include "render/svg_document.h"
#include "text/paths.h"
#include "text/text_file.h"
#include "text/wording.h"

namespace {

// Breaks the lines of a text shown to the user.
constexpr char16_t kLineBreak = u'\r';

// Size of the file at path in whole kilobytes, truncated toward zero: 0 for
// a missing file (-1) and for a folder (-2).
Text kilobytesOf(TextView path) {
  return formatInteger(fileSizeOf(path) / 1024);
}

struct ControlSpec {
  int32_t id;
  enum { Static, Sunken, PathLine, Frame, Button } kind;
  ControlBox box;
  TextView text;
};

// The window's controls in creation order.
constexpr ControlSpec kControls[] = {
    {BannerText, ControlSpec::Static, {20, 15, 660, 25}, wording::BannerText},
    {FilesFrame,
     ControlSpec::Frame,
     {10, 45, 680, 120},
     wording::FilesFrameCaption},
    {InputCaptionText,
     ControlSpec::Static,
     {25, 70, 80, 20},
     wording::InputCaption},
    {ChooseInputButton,
     ControlSpec::Button,
     {110, 67, 110, 28},
     wording::BrowseCaption},
    {InputPathText, ControlSpec::PathLine, {230, 70, 450, 20}, u""},
    {OutputCaptionText,
     ControlSpec::Static,
     {25, 110, 80, 20},
     wording::OutputCaption},
    {ChooseOutputButton,
     ControlSpec::Button,
     {110, 107, 110, 28},
     wording::BrowseCaption},
    {OutputPathText, ControlSpec::PathLine, {230, 110, 450, 20}, u""},
    {CommandsFrame,
     ControlSpec::Frame,
     {10, 175, 680, 185},
     wording::MessageBoxTitle},
    {GenerateButton,
     ControlSpec::Button,
     {25, 200, 150, 35},
     wording::GenerateCaption},
    {SampleButton,
     ControlSpec::Button,
     {190, 200, 150, 35},
     wording::SampleCaption},
    {OpenFolderButton,
     ControlSpec::Button,
     {355, 200, 150, 35},
     wording::OpenFolderCaption},
    {StatusText,
     ControlSpec::Sunken,
     {25, 250, 650, 100},
     wording::StartupHelpText},
};

}  // namespace

void MessageBoxReporter::reportError(TextView caption, TextView path,
                                     TextView reason) {
  Text message = Text(caption) + shownPath(path);
  if (!reason.empty()) message += kLineBreak + Text(reason);
  toolkit_.messageBox(wording::MessageBoxTitle, message, MessageIcon::Error);
}

Shell::Shell(Toolkit& toolkit, Flowchart& chart, const ProgramPlace& place)
    : toolkit_(toolkit),
      chart_(chart),
      reporter_(toolkit),
      filesFolder_((place.installed || !place.folderWritable) &&
                           !place.documentsFolder.empty()
                       ? place.documentsFolder
                       : folderPart(place.programFile)) {}

int32_t Shell::run(const FileChoice& startFile) {
  clearFlowchart(chart_);
  initPalette();
  if (toolkit_.openWindow(WindowWidth, WindowHeight, wording::WindowTitle) ==
      0) {
    return 0;
  }
  createControls();
  inputPath_.clear();
  outputPath_ = filesFolder_ + Text(wording::DefaultOutputName);
  toolkit_.setControlText(OutputPathText, shownPath(outputPath_));
  addShortcuts();
  // The first step: Enter or Space opens the open dialog.
  toolkit_.focusControl(ChooseInputButton);
  takeInputFile(startFile);

  for (;;) {
    const ToolkitEvent event = toolkit_.waitEvent();
    if (event.kind == EventKind::CloseRequest) break;
    if (event.kind == EventKind::FileDropped) {
      takeInputFile(event.dropped);
      continue;
    }
    if (event.kind != EventKind::Control) continue;
    switch (event.control) {
      case ChooseInputButton:
        chooseInput();
        break;
      case ChooseOutputButton:
        chooseOutput();
        break;
      case GenerateButton:
        generate();
        break;
      case SampleButton:
        writeSample();
        break;
      case OpenFolderButton:
        openFolder();
        break;
      default:
        break;  // static texts and frames start nothing
    }
  }
  toolkit_.closeWindow();
  return 0;
}

void Shell::createControls() {
  for (const ControlSpec& c : kControls) {
    switch (c.kind) {
      case ControlSpec::Static:
        toolkit_.createStaticText(c.id, c.box, c.text, TextStyle::Wrapped);
        break;
      case ControlSpec::Sunken:
        toolkit_.createStaticText(c.id, c.box, c.text, TextStyle::Sunken);
        break;
      case ControlSpec::PathLine:
        toolkit_.createStaticText(c.id, c.box, c.text, TextStyle::PathLine);
        break;
      case ControlSpec::Frame:
        toolkit_.createGroupFrame(c.id, c.box, c.text);
        break;
      case ControlSpec::Button:
        toolkit_.createPushButton(c.id, c.box, c.text);
        break;
    }
  }
}

void Shell::setStatus(TextView text) {
  toolkit_.setControlText(StatusText, text);
}

void Shell::addShortcuts() {
  constexpr struct {
    char16_t letter;
    EventKind kind;
    int32_t control;
  } kShortcuts[] = {
      {u'O', EventKind::Control, ChooseInputButton},
      {u'S', EventKind::Control, ChooseOutputButton},
      {u'G', EventKind::Control, GenerateButton},
      {u'Q', EventKind::CloseRequest, 0},
      {u'W', EventKind::CloseRequest, 0},
  };
  for (const auto& s : kShortcuts) {
    ToolkitEvent event;
    event.kind = s.kind;
    event.control = s.control;
    toolkit_.addShortcut(s.letter, event);
  }
}

void Shell::selectInput(const Text& path) {
  inputPath_ = path;
  const Text shown = shownPath(inputPath_);
  toolkit_.setControlText(InputPathText, shown);
  setStatus(Text(wording::InputChosenBefore) + shown + kLineBreak +
            Text(wording::SizeBefore) + kilobytesOf(inputPath_) +
            Text(wording::SizeAfter));
}

void Shell::takeInputFile(const FileChoice& choice) {
  if (choice.outcome == FileChoice::Outcome::Cancelled) return;
  if (choice.outcome == FileChoice::Outcome::NotLocal) {
    reporter_.reportError(wording::OpenFailureCaption, choice.path,
                          wording::NotLocalReason);
    return;
  }
  // A file handed over from outside is taken only when it can be read, so
  // that the error box comes now rather than at the first generate.
  Text reason;
  FileHandle file = openForReading(choice.path, &reason);
  if (file == nullptr) {
    reporter_.reportError(wording::OpenFailureCaption, choice.path, reason);
    return;
  }
  closeFile(file);
  selectInput(choice.path);
}

void Shell::chooseInput() {
  // Once there is an input, the dialog starts in its folder.
  const FileChoice choice = toolkit_.openFileDialog(
      {Text(wording::OpenDialogTitle), folderPart(inputPath_),
       Text(wording::OpenDialogFilter), 0});
  switch (choice.outcome) {
    case FileChoice::Outcome::Cancelled:
      return;
    case FileChoice::Outcome::NotLocal:
      reporter_.reportError(wording::OpenFailureCaption, choice.path,
                            wording::NotLocalReason);
      return;
    case FileChoice::Outcome::Chosen:
      // A typed name need not exist yet: it shows 0 KB, and generate then
      // reports it.
      selectInput(choice.path);
      return;
  }
}

void Shell::chooseOutput() {
  // The dialog starts in the output's folder with its name filled in.
  const FileChoice choice =
      toolkit_.saveFileDialog({Text(wording::SaveDialogTitle), outputPath_,
                               Text(wording::SaveDialogFilter), 0});
  if (choice.outcome == FileChoice::Outcome::Cancelled) return;
  if (choice.outcome == FileChoice::Outcome::NotLocal) {
    reporter_.reportError(wording::CreateFailureCaption, choice.path,
                          wording::NotLocalReason);
    return;
  }
  Text chosen = choice.path;
  if (lowerCase(extensionPart(chosen)) != u"svg") chosen += u".svg";
  outputPath_ = chosen;
  toolkit_.setControlText(OutputPathText, shownPath(outputPath_));
}

void Shell::generate() {
  if (inputPath_.empty()) {
    toolkit_.messageBox(wording::MessageBoxTitle, wording::ChooseFirstMessage,
                        MessageIcon::Warning);
    return;
  }
  setStatus(wording::ParsingStatus);
  if (parseDescription(chart_, inputPath_, reporter_) == 0) {
    setStatus(wording::LoadFailedStatus);
    return;
  }
  const Text sections = formatInteger(chart_.sectioncount);
  const Text items = formatInteger(chart_.itemcount);
  setStatus(Text(wording::ParsedBefore) + sections +
            Text(wording::ParsedSections) + items + Text(wording::ParsedItems));
  // Writing over the description would destroy what was just read.
  const bool ontoInput =
      sameFile(identityOf(inputPath_), identityOf(outputPath_));
  if (ontoInput) {
    reporter_.reportError(wording::CreateFailureCaption, outputPath_,
                          wording::ItIsTheInputReason);
  }
  if (ontoInput || generateSvg(chart_, outputPath_, reporter_) == 0) {
    setStatus(wording::WriteFailedStatus);
    toolkit_.messageBox(wording::MessageBoxTitle, wording::WriteFailedMessage,
                        MessageIcon::Error);
    return;
  }
  const Text shownOutput = shownPath(outputPath_);
  setStatus(Text(wording::WrittenBefore) + shownOutput + kLineBreak +
            Text(wording::SizeBefore) + kilobytesOf(outputPath_) +
            Text(wording::SizeAfter));
  toolkit_.messageBox(wording::MessageBoxTitle,
                      Text(wording::GeneratedBefore) + shownOutput +
                          Text(wording::GeneratedSections) + sections +
                          Text(wording::GeneratedItems) + items,
                      MessageIcon::Information);
}

void Shell::writeSample() {
  const Text path = filesFolder_ + Text(wording::SampleFileName);
  // A sample the user has edited since is not replaced without asking.
  const int32_t attributes = fileAttributesOf(path);
  if (attributes != -1 && (attributes & FolderAttribute) == 0 &&
      holdsTheSample(path) == 0 &&
      toolkit_.questionBox(
          wording::MessageBoxTitle,
          shownPath(path) + Text(wording::EditedSampleQuestionAfter),
          wording::ReplaceButton, wording::CancelButton) == 0) {
    return;
  }
  // The writer has shown its own error box when it returns 0.
  if (writeSampleFile(path, reporter_) == 0) return;
  inputPath_ = path;
  toolkit_.setControlText(InputPathText, shownPath(inputPath_));
  setStatus(Text(wording::SampleWrittenBefore) + shownPath(path) +
            Text(wording::SampleWrittenAfter));
}

void Shell::openFolder() {
  const Text folder = folderPart(outputPath_);
  const int32_t attributes = fileAttributesOf(folder);
  if (attributes == -1 || (attributes & FolderAttribute) == 0) return;
  toolkit_.openFolder(folder);
}
