// Every national-language text of the program, in one place: the keywords
// of the description format, the captions and comments drawn into the SVG,
// the window's captions, status texts, messages and dialogs, the sample
// description, and the command line's help and complaints. A translation
// touches this file only.
//
// CR (U+000D) breaks the lines of texts shown to the user. Texts with values
// inserted are split around the value: FooBefore + value + FooAfter.
#ifndef FLOWSVG_TEXT_WORDING_H_
#define FLOWSVG_TEXT_WORDING_H_

#include <string_view>

#include "text/version.h"

namespace wording {

using T = std::u16string_view;

// Description file keywords.
inline constexpr T HeaderSectionName = u"Header";
inline constexpr T SummarySectionName = u"Summary";
inline constexpr T SubtitleKey = u"subtitle";
inline constexpr T CompanyKey = u"company";
inline constexpr T SummaryKey = u"text";
inline constexpr T OpenFailureCaption = u"Cannot open the description file: ";

// SVG document.
inline constexpr T OriginCommentText =
    u"Flowchart SVG Generator - drawn from a text description";
inline constexpr T TimestampLabel = u"Generated";
inline constexpr T HeaderCommentText = u"Header";
inline constexpr T SectionsCommentText = u"Section bands";
inline constexpr T ConnectorsCommentText = u"Connectors";
inline constexpr T SummaryCommentText = u"Summary panel";
inline constexpr T DiagramTitleCaption = u"Process Flowchart";
inline constexpr T SummaryCaption = u"Summary";
inline constexpr T CreateFailureCaption = u"Cannot create the SVG file: ";

// Failures: the sample's caption, and the reasons of our own that follow a
// caption and path (the system's reasons come from system_error.h). The
// command line puts a reason in parentheses after the path, a message box on
// a line of its own.
inline constexpr T SampleFailureCaption = u"Cannot create the sample file: ";
inline constexpr T ReasonBefore = u" (";
inline constexpr T ReasonAfter = u")";
inline constexpr T ItIsTheInputReason = u"it is the input file";
inline constexpr T LockedReason = u"locked by another program";
inline constexpr T LinkRefusedReason =
    u"it is a link another user placed in a shared folder; not followed";

// Main window.
inline constexpr T MessageBoxTitle = u"Flowchart SVG Generator";
inline constexpr T StatusPrefix = u"Status";
inline constexpr T DefaultOutputName = u"flowchart.svg";
inline constexpr T WindowTitle =
    u"Flowchart SVG Generator - Desktop Edition v" FLOWSVG_VERSION;
inline constexpr T BannerText =
    u"Flowchart SVG Generator - turns a txt flowchart description into a "
    u"drawing";
inline constexpr T FilesFrameCaption = u"Files";
inline constexpr T InputCaption = u"txt/ini file:";
inline constexpr T BrowseCaption = u"Browse...";
inline constexpr T OutputCaption = u"Output SVG:";
inline constexpr T GenerateCaption = u"\u25B6 Generate SVG";
inline constexpr T SampleCaption = u"\u270E Write sample";
inline constexpr T OpenFolderCaption = u"\u2302 Open folder";
inline constexpr T StartupHelpText =
    u"Status: Ready~How to use:~1. Choose a .txt or .ini description file~2. "
    u"Press Generate to write the SVG drawing~3. Open the folder to see the "
    u"result";

// Status texts; {value} goes between the Before and After parts.
inline constexpr T InputChosenBefore = u"Status: Input file chosen: ";
inline constexpr T SizeBefore = u"Size: ";  // shared by S1 and S6
inline constexpr T SizeAfter = u" KB";
inline constexpr T ParsingStatus =
    u"Status: Parsing the description...\rPlease wait...";
inline constexpr T LoadFailedStatus =
    u"Status: \u2717 The description could not be loaded";
inline constexpr T ParsedBefore = u"Status: Parsed ";
inline constexpr T ParsedSections = u" sections, ";
inline constexpr T ParsedItems = u" items\rWriting the SVG drawing...";
inline constexpr T WriteFailedStatus =
    u"Status: \u2717 SVG file could not be written";
inline constexpr T WrittenBefore =
    u"Status: \u2713 SVG file written\rOutput file: ";
inline constexpr T SampleWrittenBefore =
    u"Status: Sample description written\rFile: ";
inline constexpr T SampleWrittenAfter = u"\rPress 'Generate SVG' to draw it";

// Message boxes.
inline constexpr T ChooseFirstMessage = u"Please choose a txt/ini file first";
inline constexpr T WriteFailedMessage = u"SVG file could not be written.";
inline constexpr T GeneratedBefore = u"SVG file generated.\r\rFile: ";
inline constexpr T GeneratedSections = u"\rSections: ";
inline constexpr T GeneratedItems = u"\rItems: ";

// Dialogs.
inline constexpr T OpenDialogTitle = u"Choose a txt/ini description file";
inline constexpr T OpenDialogFilter =
    u"Description files (*.txt;*.ini)|*.txt;*.ini|All files (*.*)|*.*";
inline constexpr T SaveDialogTitle = u"Save the SVG file";
inline constexpr T SaveDialogFilter = u"SVG files|*.svg|All files (*.*)|*.*";

// The desktop window: a picked or dropped item that names no local file,
// the question before an edited sample is replaced, and the program's
// command line (flowsvg-desktop [FILE]).
inline constexpr T NotLocalReason = u"not a local file";
inline constexpr T EditedSampleQuestionAfter =
    u" differs from the sample description.\rReplace it with the sample? "
    u"Your changes in it will be lost.";
inline constexpr T ReplaceButton = u"Replace";
inline constexpr T CancelButton = u"Cancel";
// The one button of a message box.
inline constexpr T OkButton = u"OK";
inline constexpr T DesktopUsageLine =
    u"usage: flowsvg-desktop [FILE] | flowsvg-desktop --help | "
    u"flowsvg-desktop --version";
inline constexpr T DesktopUnknownOptionBefore =
    u"flowsvg-desktop: unknown option ";
inline constexpr T DesktopTooManyFiles =
    u"flowsvg-desktop: more than one FILE given";
inline constexpr T DesktopHelpLines[] = {
    u"Usage: flowsvg-desktop [FILE]",
    u"       flowsvg-desktop --help | --version",
    u"",
    u"Opens the Flowchart SVG Generator window, which turns a flowchart",
    u"description (an INI-like text file) into one SVG drawing. FILE, when",
    u"given, is chosen as the description to convert; a description file",
    u"dropped onto the window is chosen the same way.",
    u"",
    u"Keys in the window: Ctrl+O choose the description, Ctrl+S choose the",
    u"SVG file, Ctrl+G generate, Ctrl+Q or Ctrl+W close.",
    u"",
    u"  --help     show this help",
    u"  --version  show the version",
    u"",
    u"Exit status: 0, also when no window can be opened; 2 when the help or",
    u"the version cannot be printed; 64 wrong usage.",
};

// Sample description file: its name and its 40 lines (the last holds one CR
// between the two parts of the summary).
inline constexpr T SampleFileName = u"sample_flowchart.txt";
inline constexpr T SampleLines[] = {
    u"[Header]",
    u"subtitle = 5L bottling line: from order to shipment",
    u"company = Example Beverages Ltd.",
    u"",
    u"[Production.Steps]",
    u"itemid = 11",
    u"fromid = 0",
    u"image = order.png",
    u"title = Process step",
    u"Owner = Sales",
    u"Period = 2025.1.1-2025.1.3",
    u"Volume = 100L",
    u"Note = Confirm the order with the customer.",
    u"",
    u"[Production.Steps]",
    u"itemid = 12",
    u"fromid = 0",
    u"image = material.png",
    u"title = Process step",
    u"Owner = Purchasing",
    u"Period = 2025.1.1-2025.1.3",
    u"",
    u"[Production.Steps]",
    u"itemid = 21",
    u"fromid = 11",
    u"image = production.png",
    u"title = Process step",
    u"Shifts = 1 to 3 a day",
    u"Period = 2025.1.8-2025.1.9",
    u"",
    u"[Production.Steps]",
    u"itemid = 22",
    u"fromid = 12",
    u"image = production.png",
    u"title = Process step",
    u"Station = T4A",
    u"Date = 2025.1.11",
    u"",
    u"[Summary]",
    u"text = Four steps from order to shipment\rDates are examples only",
};

// The command line: its usage line, usage complaints and help. The help's
// {Header}, {subtitle}, {company}, {Summary} and {text} stand for the
// keywords of the description format above. The version is the project's
// one release number (text/version.h).
inline constexpr T Version = FLOWSVG_VERSION;
inline constexpr T UsageLine =
    u"usage: flowsvg [-q] INPUT [OUTPUT] | flowsvg --sample PATH | "
    u"flowsvg --help | flowsvg --version";
inline constexpr T UnknownOptionBefore = u"flowsvg: unknown option ";
inline constexpr T MissingInput = u"flowsvg: no input file given";
inline constexpr T TooManyArguments = u"flowsvg: too many arguments";
inline constexpr T MissingSamplePath = u"flowsvg: --sample needs a PATH";
inline constexpr T SampleWithOthers =
    u"flowsvg: --sample PATH takes no other file";
inline constexpr T ComplaintSeparator = u"; ";

// The help, line by line.
inline constexpr T HelpLines[] = {
    u"Usage: flowsvg [-q] INPUT [OUTPUT]",
    u"       flowsvg --sample PATH",
    u"       flowsvg --help | --version",
    u"",
    u"Converts a flowchart description (an INI-like text file) into one SVG",
    u"drawing. INPUT \"-\" reads the description from standard input, OUTPUT",
    u"\"-\" writes the drawing to standard output. Without OUTPUT the drawing",
    u"goes beside INPUT, its extension replaced by .svg (.svg appended when it",
    u"has none; standard output when INPUT is \"-\").",
    u"",
    u"  -q             print nothing on success",
    u"  --sample PATH  write a ready-made sample description to PATH",
    u"  --help         show this help",
    u"  --version      show the version",
    u"",
    u"Description format, one line at a time, spaces at both ends ignored:",
    u"  # ... or ; ...    a comment",
    u"  [{Header}]          {subtitle} = ... and {company} = ... under the "
    u"title",
    u"  [Group.Name]      a band of boxes; in it, itemid = N starts a box,",
    u"                    fromid = N,N,... names its parent boxes, title = ...",
    u"                    its title, every other key = value a line in it",
    u"  [{Summary}]         {text} = ... the summary; \"|\" or \\n breaks a "
    u"line",
    u"Limits: 100 boxes, 20 bands, 15 lines per box, 10 parents per box;",
    u"what does not fit is left out.",
    u"",
    u"Exit status: 0 written, 1 the input cannot be opened, 2 the output",
    u"cannot be written, 64 wrong usage.",
};

}  // namespace wording

#endif  // FLOWSVG_TEXT_WORDING_H_
