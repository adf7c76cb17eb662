#include "desktop/shell.h"

#include "model/parser.h"
#include "model/sample_file.h"
#include "render/connectors.h"
#include "render/svg_document.h"
#include "text/paths.h"
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
  enum { Static, Sunken, Frame, Button } kind;
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
    {InputPathText, ControlSpec::Static, {230, 70, 450, 20}, u""},
    {OutputCaptionText,
     ControlSpec::Static,
     {25, 110, 80, 20},
     wording::OutputCaption},
    {ChooseOutputButton,
     ControlSpec::Button,
     {110, 107, 110, 28},
     wording::BrowseCaption},
    {OutputPathText, ControlSpec::Static, {230, 110, 450, 20}, u""},
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

Shell::Shell(Toolkit& toolkit, Flowchart& chart, TextView programFile)
    : toolkit_(toolkit),
      chart_(chart),
      reporter_(toolkit),
      programFolder_(folderPart(programFile)) {}

int32_t Shell::run() {
  clearFlowchart(chart_);
  initPalette();
  if (toolkit_.openWindow(WindowWidth, WindowHeight, wording::WindowTitle) ==
      0) {
    return 0;
  }
  createControls();
  inputPath_.clear();
  outputPath_ = programFolder_ + Text(wording::DefaultOutputName);
  toolkit_.setControlText(OutputPathText, outputPath_);

  for (;;) {
    const ToolkitEvent event = toolkit_.waitEvent();
    if (event.kind == EventKind::CloseRequest) break;
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
      case ControlSpec::Sunken:
        toolkit_.createStaticText(c.id, c.box, c.text,
                                  c.kind == ControlSpec::Sunken);
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

void Shell::chooseInput() {
  const Text chosen =
      toolkit_.openFileDialog({Text(wording::OpenDialogTitle), Text(),
                               Text(wording::OpenDialogFilter), 0});
  if (chosen.empty()) return;
  inputPath_ = chosen;
  toolkit_.setControlText(InputPathText, inputPath_);
  setStatus(Text(wording::InputChosenBefore) + inputPath_ + kLineBreak +
            Text(wording::SizeBefore) + kilobytesOf(inputPath_) +
            Text(wording::SizeAfter));
}

void Shell::chooseOutput() {
  Text chosen = toolkit_.saveFileDialog({Text(wording::SaveDialogTitle),
                                         folderPart(outputPath_),
                                         Text(wording::SaveDialogFilter), 0});
  if (chosen.empty()) return;
  if (lowerCase(extensionPart(chosen)) != u"svg") chosen += u".svg";
  outputPath_ = chosen;
  toolkit_.setControlText(OutputPathText, outputPath_);
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
  setStatus(Text(wording::WrittenBefore) + outputPath_ + kLineBreak +
            Text(wording::SizeBefore) + kilobytesOf(outputPath_) +
            Text(wording::SizeAfter));
  toolkit_.messageBox(wording::MessageBoxTitle,
                      Text(wording::GeneratedBefore) + outputPath_ +
                          Text(wording::GeneratedSections) + sections +
                          Text(wording::GeneratedItems) + items,
                      MessageIcon::Information);
}

void Shell::writeSample() {
  const Text path = programFolder_ + Text(wording::SampleFileName);
  // The writer has shown its own error box when it returns 0.
  if (writeSampleFile(path, reporter_) == 0) return;
  inputPath_ = path;
  toolkit_.setControlText(InputPathText, inputPath_);
  setStatus(Text(wording::SampleWrittenBefore) + path +
            Text(wording::SampleWrittenAfter));
}

void Shell::openFolder() {
  const Text folder = folderPart(outputPath_);
  const int32_t attributes = fileAttributesOf(folder);
  if (attributes == -1 || (attributes & FolderAttribute) == 0) return;
  toolkit_.openFolder(folder);
}
