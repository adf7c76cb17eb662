#include "desktop/shell.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/diagnostics.h"
#include "model/parser.h"
#include "files/description_files.h"
#include "render/svg_document.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "base/wording.h"

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
  // Buttons: the accessible name (no symbol) and the tooltip.
  TextView name = u"";
  TextView tip = u"";
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
     wording::BrowseCaption,
     wording::ChooseInputName,
     wording::ChooseInputTip},
    {InputPathText, ControlSpec::PathLine, {230, 70, 450, 20}, u""},
    {OutputCaptionText,
     ControlSpec::Static,
     {25, 110, 80, 20},
     wording::OutputCaption},
    {ChooseOutputButton,
     ControlSpec::Button,
     {110, 107, 110, 28},
     wording::BrowseCaption,
     wording::ChooseOutputName,
     wording::ChooseOutputTip},
    {OutputPathText, ControlSpec::PathLine, {230, 110, 450, 20}, u""},
    {CommandsFrame,
     ControlSpec::Frame,
     {10, 175, 680, 185},
     wording::MessageBoxTitle},
    {GenerateButton,
     ControlSpec::Button,
     {25, 200, 150, 35},
     wording::GenerateCaption,
     wording::GenerateName,
     wording::GenerateTip},
    {SampleButton,
     ControlSpec::Button,
     {190, 200, 150, 35},
     wording::SampleCaption,
     wording::SampleName,
     wording::SampleTip},
    {OpenFolderButton,
     ControlSpec::Button,
     {355, 200, 150, 35},
     wording::OpenFolderCaption,
     wording::OpenFolderName,
     wording::OpenFolderTip},
    {PreviewButton,
     ControlSpec::Button,
     {520, 200, 150, 35},
     wording::PreviewCaption,
     wording::PreviewName,
     wording::PreviewTip},
    {StatusText,
     ControlSpec::Sunken,
     {25, 250, 650, 100},
     wording::StartupHelpText},
};

// Keeps what the window shows of a description's warnings: how many there
// were, and the first WarningsBoxMost of them in line order (the parser
// tells some only at the end of the file).
class WindowWarnings : public DiagnosticsSink {
 public:
  void warning(int32_t line, TextView text) override {
    ++count_;
    // After those of the same line, which came first.
    const auto at =
        std::upper_bound(first_.begin(), first_.end(), line,
                         [](int32_t l, const std::pair<int32_t, Text>& w) {
                           return l < w.first;
                         });
    if (at - first_.begin() >= wording::WarningsBoxMost) return;
    first_.insert(at, {line, Text(text)});
    if (first_.size() > static_cast<size_t>(wording::WarningsBoxMost)) {
      first_.pop_back();
    }
  }

  // The status area's line: the number and the first warning, its text
  // shortened; empty without warnings.
  Text statusLine() const {
    if (count_ == 0) return Text();
    return Text(wording::WarningsStatusBefore) + formatInteger(count_) +
           Text(wording::WarningsStatusLine) + formatInteger(first_[0].first) +
           Text(wording::WarningsStatusText) + shortened(first_[0].second) +
           Text(wording::WarningsStatusAfter);
  }

  // The information box's lines, each after a line break, with a blank line
  // before them; empty without warnings.
  Text boxLines() const {
    if (count_ == 0) return Text();
    Text lines =
        Text(1, kLineBreak) + kLineBreak + Text(wording::WarningsBoxHeading);
    for (const auto& [line, text] : first_) {
      lines += kLineBreak + Text(wording::WarningsBoxLine) +
               formatInteger(line) + Text(wording::WarningsBoxText) + text;
    }
    const int64_t more = count_ - static_cast<int64_t>(first_.size());
    if (more > 0) {
      lines += kLineBreak + Text(wording::MoreWarningsBefore) +
               formatInteger(more) + Text(wording::MoreWarningsAfter);
    }
    return lines;
  }

  // text cut after a word and ended with WarningTextCut, so that it holds
  // at most WarningTextMost characters; the whole text when it fits.
  static Text shortened(TextView text) {
    const size_t most = wording::WarningTextMost;
    if (text.size() <= most) return Text(text);
    const TextView cut = wording::WarningTextCut;
    size_t end = most - cut.size();
    // Behind the last space that fits, so that no word is cut; a text
    // without one is cut where it must be, never inside a surrogate pair.
    const size_t space = text.rfind(u' ', end - 1);
    if (space != TextView::npos && space > 0) {
      end = space + 1;
    } else if (text[end] >= 0xDC00 && text[end] <= 0xDFFF) {
      --end;
    }
    return Text(text.substr(0, end)) + Text(cut);
  }

 private:
  int64_t count_ = 0;
  std::vector<std::pair<int32_t, Text>> first_;
};

}  // namespace

void MessageBoxReporter::reportError(TextView caption, TextView path,
                                     TextView reason) {
  Text message = Text(caption) + shownPath(path);
  if (!reason.empty()) message += kLineBreak + Text(reason);
  toolkit_.messageBox(wording::MessageBoxTitle, message, MessageIcon::Error);
}

Shell::Shell(Toolkit& toolkit, Flowchart& chart, const ProgramPlace& place,
             Preview& preview)
    : toolkit_(toolkit),
      chart_(chart),
      preview_(preview),
      reporter_(toolkit),
      filesFolder_((place.installed || !place.folderWritable) &&
                           !place.documentsFolder.empty()
                       ? place.documentsFolder
                       : folderPart(place.programFile)) {}

int32_t Shell::run(const FileChoice& startFile) {
  clearFlowchart(chart_);
  const int32_t opened =
      toolkit_.openWindow(WindowWidth, WindowHeight, wording::WindowTitle);
  // The toolkit told why when it gives -1.
  if (opened != 1) return opened == 0 ? 0 : 1;
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
    if (event.kind == EventKind::FolderNotOpened) {
      reporter_.reportError(wording::OpenFolderFailureCaption, event.folder,
                            event.reason);
      continue;
    }
    if (event.kind == EventKind::InputSaved) {
      // One posted before the preview stopped may still come.
      if (preview_.running()) previewConversion();
      continue;
    }
    if (event.kind == EventKind::PreviewFailed) {
      reporter_.reportError(wording::WatchFailureCaption, event.folder,
                            event.reason);
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
      case PreviewButton:
        startPreview();
        break;
      default:
        break;  // static texts and frames start nothing
    }
  }
  // The server and the watch end before the window they post to.
  preview_.stop();
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
        toolkit_.describeControl(c.id, c.name, c.tip);
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
      {u'P', EventKind::Control, PreviewButton},
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
  movePreview();
}

bool Shell::notLocal(const FileChoice& choice, TextView caption) {
  if (choice.outcome != FileChoice::Outcome::NotLocal) return false;
  reporter_.reportError(caption, choice.path, wording::NotLocalReason);
  return true;
}

void Shell::takeInputFile(const FileChoice& choice) {
  if (choice.outcome == FileChoice::Outcome::Cancelled ||
      notLocal(choice, wording::OpenFailureCaption)) {
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
  if (choice.outcome == FileChoice::Outcome::Cancelled ||
      notLocal(choice, wording::OpenFailureCaption)) {
    return;
  }
  // A typed name need not exist yet: it shows 0 KB, and generate then
  // reports it.
  selectInput(choice.path);
}

void Shell::chooseOutput() {
  // The dialog starts in the output's folder with its name filled in.
  const FileChoice choice =
      toolkit_.saveFileDialog({Text(wording::SaveDialogTitle), outputPath_,
                               Text(wording::SaveDialogFilter), 0});
  if (choice.outcome == FileChoice::Outcome::Cancelled ||
      notLocal(choice, wording::CreateFailureCaption)) {
    return;
  }
  Text chosen = choice.path;
  // A PNG or PDF is written as such; any other name is an SVG's.
  DrawingFormat named = DrawingFormat::Svg;
  if (!formatNamed(extensionPart(chosen), &named)) {
    chosen += u".svg";
    // The dialog asked about the name it gave; this is the one written.
    if (pathKind(chosen) == PathKind::File &&
        toolkit_.questionBox(
            wording::MessageBoxTitle,
            shownPath(chosen) + Text(wording::ReplaceOutputQuestionAfter),
            wording::ReplaceButton, wording::CancelButton) == 0) {
      return;
    }
  }
  outputPath_ = chosen;
  toolkit_.setControlText(OutputPathText, shownPath(outputPath_));
}

void Shell::generate() {
  if (inputPath_.empty()) {
    toolkit_.messageBox(wording::MessageBoxTitle, wording::ChooseFirstMessage,
                        MessageIcon::Warning);
    return;
  }
  Text boxLines;
  const Converted converted = convert(Text(), &boxLines);
  if (converted == Converted::LoadFailed) return;
  const DrawingFormat format = formatOfPath(outputPath_);
  if (converted == Converted::WriteFailed) {
    toolkit_.messageBox(wording::MessageBoxTitle,
                        inFormat(wording::WriteFailedMessage, format),
                        MessageIcon::Error);
    return;
  }
  toolkit_.messageBox(
      wording::MessageBoxTitle,
      inFormat(wording::GeneratedBefore, format) + shownPath(outputPath_) +
          Text(wording::GeneratedSections) +
          formatInteger(chart_.sectioncount) + Text(wording::GeneratedItems) +
          formatInteger(chart_.itemcount) + boxLines,
      MessageIcon::Information);
}

Shell::Converted Shell::convert(const Text& before, Text* boxLines) {
  setStatus(before + Text(wording::ParsingStatus));
  WindowWarnings warnings;
  if (!parseDescription(chart_, inputPath_, reporter_, &warnings).ok()) {
    setStatus(before + Text(wording::LoadFailedStatus));
    return Converted::LoadFailed;
  }
  // The messages name what the output's extension makes of it: "SVG",
  // "PNG" or "PDF".
  const DrawingFormat format = formatOfPath(outputPath_);
  setStatus(before + Text(wording::ParsedBefore) +
            formatInteger(chart_.sectioncount) +
            Text(wording::ParsedSections) + formatInteger(chart_.itemcount) +
            inFormat(wording::ParsedItems, format));
  // The status keeps its lines; the warnings come on one more.
  Text warningsLine = warnings.statusLine();
  if (!warningsLine.empty()) warningsLine.insert(0, 1, kLineBreak);
  // Writing over the description would destroy what was just read.
  const bool ontoInput =
      sameFile(identityOf(inputPath_), identityOf(outputPath_));
  if (ontoInput) {
    reporter_.reportError(inFormat(wording::CreateFailureCaption, format),
                          outputPath_, wording::ItIsTheInputReason);
  }
  if (ontoInput || !generateSvg(chart_, outputPath_, reporter_).ok()) {
    setStatus(before + inFormat(wording::WriteFailedStatus, format) +
              warningsLine);
    return Converted::WriteFailed;
  }
  setStatus(before + inFormat(wording::WrittenBefore, format) +
            shownPath(outputPath_) + kLineBreak + Text(wording::SizeBefore) +
            kilobytesOf(outputPath_) + Text(wording::SizeAfter) + warningsLine);
  *boxLines = warnings.boxLines();
  return Converted::Written;
}

void Shell::writeSample() {
  const Text path = filesFolder_ + Text(wording::SampleFileName);
  // A sample the user has edited since is not replaced without asking.
  if (pathKind(path) == PathKind::File &&
      !holdsTheSample(path) &&
      toolkit_.questionBox(
          wording::MessageBoxTitle,
          shownPath(path) + Text(wording::EditedSampleQuestionAfter),
          wording::ReplaceButton, wording::CancelButton) == 0) {
    return;
  }
  // The writer has shown its own error box when it returns 0.
  if (!writeSampleFile(path, reporter_).ok()) return;
  inputPath_ = path;
  toolkit_.setControlText(InputPathText, shownPath(inputPath_));
  setStatus(Text(wording::SampleWrittenBefore) + shownPath(path) +
            Text(wording::SampleWrittenAfter));
  movePreview();
}

void Shell::openFolder() {
  const Text folder = folderPart(outputPath_);
  if (pathKind(folder) != PathKind::Folder) return;
  Text reason;
  if (toolkit_.openFolder(folder, &reason) == 0) {
    reporter_.reportError(wording::OpenFolderFailureCaption, folder, reason);
  }
}

void Shell::startPreview() {
  if (inputPath_.empty()) {
    toolkit_.messageBox(wording::MessageBoxTitle, wording::ChooseFirstMessage,
                        MessageIcon::Warning);
    return;
  }
  // Pressed again while it runs: the same address, opened once more (its
  // page may have been closed).
  const Status shown = preview_.show(inputPath_, &previewAddress_);
  if (!shown.ok()) {
    reporter_.reportError(
        wording::PreviewFailureCaption, inputPath_,
        shown.isOutOfMemory() ? outOfMemoryReason() : shown.reason());
    return;
  }
  // The drawing is on disk before the page asks for the description.
  previewConversion();
  Text reason;
  if (toolkit_.openAddress(previewAddress_, &reason) == 0) {
    reporter_.reportError(wording::BrowserFailureCaption, previewAddress_,
                          reason);
  }
}

void Shell::movePreview() {
  if (!preview_.running()) return;
  const Status shown = preview_.show(inputPath_, &previewAddress_);
  if (!shown.ok()) {
    reporter_.reportError(
        wording::PreviewFailureCaption, inputPath_,
        shown.isOutOfMemory() ? outOfMemoryReason() : shown.reason());
    return;
  }
  previewConversion();
}

void Shell::previewConversion() {
  Text boxLines;
  convert(Text(wording::PreviewAtBefore) + previewAddress_ + kLineBreak,
          &boxLines);
}
