// Every national-language text of the program, in one place: the keywords
// of the description format, the captions and comments drawn into the SVG,
// the window's captions, status texts, messages and dialogs, the sample
// description, and the command line's help and complaints. A translation
// touches this file only.
//
// CR (U+000D) breaks the lines of texts shown to the user. Texts with values
// inserted are split around the value: FooBefore + value + FooAfter.
#ifndef FLOWSVG_BASE_WORDING_H_
#define FLOWSVG_BASE_WORDING_H_

#include <string_view>

#include "base/version.h"

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
// The accessible drawing's <title> (the caption, then the subtitle after the
// separator) and the sentences of its <desc>; {band}, {steps}, {from},
// {to} and {id} are the chart's own names and numbers.
inline constexpr T ReadingTitleSeparator = u": ";
inline constexpr T ReadingBand = u"Band {band}: {steps}.";
inline constexpr T ReadingStepSeparator = u", ";
inline constexpr T ReadingNoSteps = u"no steps";
inline constexpr T ReadingArrow = u"Arrow: {from} \u2192 {to}.";
inline constexpr T ReadingUntitledBox = u"box {id}";

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
inline constexpr T PreviewCaption = u"\u25CE Preview";
inline constexpr T StartupHelpText =
    u"Status: Ready~How to use:~1. Choose a .txt or .ini description file~2. "
    u"Press Generate to write the SVG drawing~3. Open the folder to see the "
    u"result";

// Status texts; {value} goes between the Before and After parts.
inline constexpr T InputChosenBefore = u"Status: Input file chosen: ";
inline constexpr T SizeBefore = u"Size: ";  // input chosen, and SVG written
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
// The SVG first; a name that ends in none of the three gets ".svg".
inline constexpr T SaveDialogFilter =
    u"SVG files|*.svg|PNG pictures|*.png|PDF documents|*.pdf|All files "
    u"(*.*)|*.*";

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
// Memory ran out outside any command that could report it (the program
// ends).
inline constexpr T DesktopOutOfMemoryLine = u"flowsvg-desktop: out of memory";
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
    u"SVG file, Ctrl+G generate, Ctrl+P preview in the browser (the",
    u"description served on this computer only, the SVG written on every",
    u"save), Ctrl+Q or Ctrl+W close.",
    u"",
    u"  --help     show this help",
    u"  --version  show the version",
    u"",
    u"Exit status: 0, also when no window can be opened; 2 when the help or",
    u"the version cannot be printed; 64 wrong usage.",
};

// The window's additions: its warnings, the question before the SVG file
// replaces an existing file, what its buttons say to a tooltip and a screen
// reader, Open folder failing, and a missing display.
//
// After Generate, the status area adds the line WarningsStatusBefore + N +
// WarningsStatusLine + line + WarningsStatusText + the first warning's text
// (cut after a word and ended with WarningTextCut when longer than
// WarningTextMost characters) + WarningsStatusAfter. The information box
// adds a blank line, WarningsBoxHeading, up to WarningsBoxMost lines of
// WarningsBoxLine + line + WarningsBoxText + text, and MoreWarningsBefore +
// the number not listed + MoreWarningsAfter.
inline constexpr T WarningsStatusBefore = u"Warnings: ";
inline constexpr T WarningsStatusLine = u" (line ";
inline constexpr T WarningsStatusText = u": ";
inline constexpr T WarningsStatusAfter = u")";
inline constexpr int WarningTextMost = 80;
inline constexpr T WarningTextCut = u"...";
inline constexpr T WarningsBoxHeading = u"Warnings:";
inline constexpr int WarningsBoxMost = 5;
inline constexpr T WarningsBoxLine = u"line ";
inline constexpr T WarningsBoxText = u": ";
inline constexpr T MoreWarningsBefore = u"and ";
inline constexpr T MoreWarningsAfter = u" more";
// Asked when the name chosen in the save dialog gets ".svg" appended and a
// file of that name exists (the dialog itself asks about the name it
// returns); the buttons are ReplaceButton and CancelButton.
inline constexpr T ReplaceOutputQuestionAfter =
    u" already exists.\rReplace it?";
// The buttons' accessible names (what a screen reader says: no symbols)
// and tooltips (with the shortcut where there is one).
inline constexpr T ChooseInputName = u"Browse for the description file";
inline constexpr T ChooseInputTip = u"Choose the description file (Ctrl+O)";
inline constexpr T ChooseOutputName = u"Browse for the SVG file";
inline constexpr T ChooseOutputTip =
    u"Choose where the SVG file is written (Ctrl+S)";
inline constexpr T GenerateName = u"Generate SVG";
inline constexpr T GenerateTip =
    u"Write the SVG drawing of the description (Ctrl+G)";
inline constexpr T SampleName = u"Write sample";
inline constexpr T SampleTip = u"Write a sample description and choose it";
inline constexpr T OpenFolderName = u"Open folder";
inline constexpr T OpenFolderTip = u"Open the SVG file's folder";
inline constexpr T PreviewName = u"Preview";
inline constexpr T PreviewTip =
    u"Show the drawing in the browser and write it on every save (Ctrl+P)";
// Open folder could not start the file manager: the caption, the folder,
// and the reason: the system's, or the opener's exit status with what that
// status means (the opener is xdg-open on Linux; its manual's words).
inline constexpr T OpenFolderFailureCaption = u"Cannot open the folder: ";
inline constexpr T OpenerStatusBefore = u"xdg-open ended with exit status ";
inline constexpr T OpenerStatusMeanings[] = {
    u"",
    u": Error in command line syntax",
    u": One of the files passed on the command line did not exist",
    u": A required tool could not be found",
    u": The action failed",
};
// The GTK window without a display, on standard error: this, then the
// display's name as given, or DisplayUnset.
inline constexpr T NoDisplayBefore = u"flowsvg-desktop: cannot open display ";
inline constexpr T DisplayUnset = u"(unset)";

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
    u"usage: flowsvg [-q] INPUT [OUTPUT] | flowsvg [-q] [-j N] (-O | "
    u"--out-dir DIR) FILE... | flowsvg [-q] --check FILE... | flowsvg [-q] "
    u"--watch (INPUT [OUTPUT] | -O FILE... | --out-dir DIR FILE...) | "
    u"flowsvg [-q] --serve [--port N] [--open] INPUT [OUTPUT] | "
    u"flowsvg --sample PATH | flowsvg --help | flowsvg --version";
// The part of UsageLine left out where --serve is not available.
inline constexpr T UsageServePart =
    u"flowsvg [-q] --serve [--port N] [--open] INPUT [OUTPUT] | ";
inline constexpr T UnknownOptionBefore = u"flowsvg: unknown option ";
inline constexpr T MissingInput = u"flowsvg: no input file given";
inline constexpr T TooManyArguments = u"flowsvg: too many arguments";
inline constexpr T MissingSamplePath = u"flowsvg: --sample needs a PATH";
// INPUT with wildcards (Windows) that matches more than one file.
inline constexpr T PatternMatchesMany =
    u"flowsvg: {pattern} matches {n} files, but INPUT is one file (-O or "
    u"--out-dir convert many)";
inline constexpr T SampleWithOthers =
    u"flowsvg: --sample PATH takes no other file";
inline constexpr T MissingOutDir = u"flowsvg: --out-dir needs a DIR";
inline constexpr T BesideAndOutDir =
    u"flowsvg: -O and --out-dir cannot be used together";
inline constexpr T CheckWritesNothing =
    u"flowsvg: --check writes nothing; it takes no -O, --out-dir or --watch";
inline constexpr T StandardStreamsInBatch =
    u"flowsvg: - (standard input or output) cannot be used with -O, "
    u"--out-dir or --watch";
inline constexpr T BadJobs =
    u"flowsvg: -j needs the number of conversions to run at once, 1 to 9999";
inline constexpr T BadPort =
    u"flowsvg: --port needs the number of a port, 1 to 65535";
inline constexpr T PortOrOpenWithoutServe =
    u"flowsvg: --port and --open go with --serve only";
inline constexpr T ServeTakesOneFile =
    u"flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
    u"them itself), and no -O, --out-dir, --check or --watch";
inline constexpr T StandardStreamsWithServe =
    u"flowsvg: - (standard input or output) cannot be used with --serve";
inline constexpr T ComplaintSeparator = u"; ";
// An invalid SOURCE_DATE_EPOCH: this text, then the value in quotes.
inline constexpr T SourceDateComplaintBefore =
    u"flowsvg: SOURCE_DATE_EPOCH must be a whole number of seconds from 0 to "
    u"253402300799 (the end of the year 9999), not ";

// Runs of many files: why an output is refused, the folder of --out-dir or
// --watch, and the time before each line of a watch.
inline constexpr T SameOutputBefore = u"it is also the output of ";
inline constexpr T ItIsAnInputReason = u"it is one of the input files";
inline constexpr T OutputFolderFailureCaption =
    u"Cannot write into the output folder: ";
inline constexpr T WatchFailureCaption = u"Cannot watch the folder: ";
// After WatchFailureCaption and a folder: Windows waits for the changes of
// at most 63 folders at once.
inline constexpr T TooManyWatchedFolders =
    u"more than 63 folders cannot be watched at once";
inline constexpr T NoSuchFolderReason = u"no such folder";
inline constexpr T NotAFolderReason = u"not a folder";
// After OpenFailureCaption and the pattern (Windows wildcards).
inline constexpr T NoFileMatchesReason = u"no file matches";
// --serve and the window's Preview: the page is built into the program
// only where the build had the web part.
inline constexpr T ServeUnavailable = u"--serve is not available in this build";
// The command line says it as its other usage complaints: after this.
inline constexpr T ServeUnavailableBefore = u"flowsvg: ";
// The address a preview is opened at: PreviewAddressBefore, the port,
// PreviewAddressKey and the key.
inline constexpr T PreviewAddressBefore = u"http://127.0.0.1:";
inline constexpr T PreviewAddressKey = u"/#key=";
// The line of --serve once it listens and watches (after the time), and the
// window's status then: PreviewAtBefore and the address (in the window,
// what the last conversion gave follows on the next lines). The window's
// error box when the preview cannot start: PreviewFailureCaption, the
// description's path, the reason on a line of its own.
inline constexpr T PreviewAtBefore = u"Preview at ";
inline constexpr T PreviewFailureCaption = u"Cannot start the preview: ";
// --open and the window's Preview, when the browser's opener could not be
// started (then the address, and the reason: in parentheses on the command
// line, on a line of its own in the window's box); serving goes on.
inline constexpr T BrowserFailureCaption = u"Cannot open the browser at ";
// A preview session asked to start a second time.
inline constexpr T PreviewServedOnce = u"it is already serving";
inline constexpr T WatchTimeBefore = u"[";
inline constexpr T WatchTimeAfter = u"] ";
// --watch, after the error line of a description that is not there.
inline constexpr T WaitingForItAfter = u"; waiting for it";
// Memory ran out outside the conversion of any one file (the run ends).
inline constexpr T OutOfMemoryLine = u"flowsvg: out of memory";

// The help, line by line. The lines starting with ServeHelpMark are shown,
// without it, only where --serve is available.
inline constexpr T ServeHelpMark = u"{serve}";
inline constexpr T HelpLines[] = {
    u"Usage: flowsvg [-q] [DRAWING] INPUT [OUTPUT]",
    u"       flowsvg [-q] [-j N] [DRAWING] -O FILE...",
    u"       flowsvg [-q] [-j N] [DRAWING] --out-dir DIR FILE...",
    u"       flowsvg [-q] --check FILE...",
    u"       flowsvg [-q] [DRAWING] --watch INPUT [OUTPUT]",
    u"       flowsvg [-q] [DRAWING] --watch (-O | --out-dir DIR) "
    u"FILE...",
    u"{serve}       flowsvg [-q] [DRAWING] --serve [--port N] [--open] INPUT "
    u"[OUTPUT]",
    u"       flowsvg --sample PATH",
    u"       flowsvg --help | --version",
    u"",
    u"Converts a flowchart description (an INI-like text file) into one SVG",
    u"drawing. INPUT \"-\" reads the description from standard input, OUTPUT",
    u"\"-\" writes the drawing to standard output. Without OUTPUT the drawing",
    u"goes beside INPUT, its extension replaced by .svg (.svg appended when it",
    u"has none; standard output when INPUT is \"-\"). Lines of a description",
    u"that have no effect, or only part of it, are reported on standard error",
    u"as FILE:LINE: warning: ...",
    u"",
    u"OUTPUT's extension chooses the drawing's format: .png a PNG picture,",
    u".pdf a PDF page, anything else SVG (-T chooses it instead).",
    u"",
    u"  -q             print nothing on success, and no warnings",
    u"  -O             convert each FILE to the SVG beside it (plan.txt gives",
    u"                 plan.svg)",
    u"  --out-dir DIR  convert each FILE to an SVG of the same name in DIR",
    u"  -j N           run N conversions at once (default: one per processor)",
    u"  --check        read each FILE and print its warnings on standard",
    u"                 output; write nothing",
    u"  --watch        convert, then convert again whenever a "
    u"description is",
    u"                 saved, until Ctrl+C",
    u"{serve}  --serve        as --watch for one INPUT, with a live page of "
    u"the drawing",
    u"{serve}                 at an address on this computer only (printed, "
    u"key",
    u"{serve}                 included) that redraws on every save and can "
    u"edit",
    u"{serve}                 and save the description",
    u"{serve}  --port N       serve on port N (default: a free port)",
    u"{serve}  --open         also open the page in the default browser",
    u"  --sample PATH  write a ready-made sample description to PATH",
    u"  --help         show this help",
    u"  --version      show the version",
    u"",
    u"DRAWING, for every output of the run:",
    u"  -T FORMAT      write svg, png or pdf, whatever the extension (and",
    u"                 name the outputs flowsvg names itself .png, .pdf)",
    u"  --scale S      the PNG's size relative to the SVG's, 0.25 to 16",
    u"                 (default 1)",
    u"  --accessible   give the SVG a title and a description that reads",
    u"                 the chart as text, for screen readers",
    u"",
    u"With SOURCE_DATE_EPOCH set to a number of seconds since 1970-01-01",
    u"00:00:00 UTC, conversions write that moment, in UTC, as the drawing's",
    u"time (and a PDF's date), so the same description always gives the same",
    u"bytes.",
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
    u"Exit status: 0 written, 1 an input cannot be opened, 2 an output cannot",
    u"be written, 3 --check found warnings, 64 wrong usage (an invalid",
    u"SOURCE_DATE_EPOCH included). Of many files, the worst counts: 2, then 1.",
    u"{serve}With --serve, 69: the port cannot be had. Ctrl+C ends --watch and",
    u"{serve}--serve with 130.",
};

// Warnings about a description. The command line prints each as the file,
// WarningBeforeLine, the line number, WarningAfterLine and the text. In the
// texts, {key}, {value}, {word} and {shown} stand for quoted texts of the
// description (control characters shown as \x and two hex digits, a text
// longer than 40 characters cut, with "..." after its closing quote),
// {section} for a section name, {id}, {n}, {line}, {width}, {over} and
// {room} for numbers, {blank} for one of the blank names, {where} for
// WhereStart or WhereEnd and {control} for a control character as \x and two
// hex digits.
inline constexpr T WarningBeforeLine = u":";
inline constexpr T WarningAfterLine = u": warning: ";
inline constexpr T MoreWarnings = u"{n} more warnings are not shown";
inline constexpr T StrayLineWarning =
    u"{shown} is no section line, comment or key = value line; the line is "
    u"ignored";
inline constexpr T NoClosingBracketHint = u" (a section line ends with \"]\")";
inline constexpr T DidYouMeanHint = u" (did you mean {word}?)";
inline constexpr T DidYouMeanSectionHint = u" (did you mean [{word}]?)";
inline constexpr T KeyBeforeSectionsWarning =
    u"{key} comes before any section line; the line is ignored";
inline constexpr T BelongsUnderHint = u" (it belongs under [{section}])";
inline constexpr T BelongsUnderBandHint =
    u" (it belongs under a [Group.Name] section)";
inline constexpr T KeyInEmptySectionWarning =
    u"{key} is under the section [], which takes no keys; the line is ignored";
inline constexpr T KeyBeforeItemWarning =
    u"{key} comes before the first itemid line, so it belongs to no box; the "
    u"line is ignored";
inline constexpr T UnknownKeyWarning =
    u"{key} is no key of [{section}]; the line is ignored";
inline constexpr T SectionNearKeywordWarning =
    u"[{section}] is read as a band of boxes";
inline constexpr T NearItemKeyWarning = u"{key} is shown as a line in the box";
inline constexpr T RepeatedItemKeyWarning =
    u"{key} was already given for this box on line {line}; this value "
    u"replaces it";
inline constexpr T RepeatedKeyWarning =
    u"{key} was already given on line {line}; this value replaces it";
inline constexpr T RepeatedIdWarning =
    u"itemid {id} is already the id of the box on line {line}; fromid = {id} "
    u"names that box, never this one";
inline constexpr T ItemidNotANumberWarning =
    u"itemid {value} is not a whole number; it reads as {n}";
inline constexpr T FromidNotANumberWarning =
    u"{value} in fromid is not a whole number; it reads as {n}";
inline constexpr T SeparateIdsHint = u" (separate ids with \",\")";
inline constexpr T TooManyParentsWarning =
    u"fromid lists {n} ids; a box keeps the first 10, the rest are ignored";
inline constexpr T UnknownParentWarning =
    u"fromid names {id}, but no box has that itemid; no arrow is drawn from "
    u"it";
inline constexpr T TooManyLinesWarning =
    u"box {id} already has 15 lines, the most a box shows; this line and the "
    u"later ones of the box are left out";
inline constexpr T TooManySectionsWarning =
    u"[{section}] would be the 21st section; a drawing has at most 20, so it "
    u"and its boxes are not drawn";
inline constexpr T LastItemWarning =
    u"this is the 100th box, the most a drawing holds; reading stops here, "
    u"and the {n} lines after it that are not blank or comments are not read";
inline constexpr T LastItemOneLineWarning =
    u"this is the 100th box, the most a drawing holds; reading stops here, "
    u"and the line after it that is not blank or a comment is not read";
inline constexpr T UndrawnBoxWarning =
    u"box {id} is under [{section}], a name without \".\"; the box is counted "
    u"but not drawn (name the section Group.Name)";
inline constexpr T ValueCutWarning =
    u"the value of {key} is shown cut short as {shown}; a box line holds 28 "
    u"characters, key and \":\" included (a character above U+FFFF counts as "
    u"two)";
inline constexpr T SummaryTooManyLinesWarning =
    u"the summary has {n} lines; the panel shows the first 6, the rest are "
    u"left out";
inline constexpr T SummaryLineCutWarning =
    u"line {line} of the summary has {n} characters; the panel cuts it to 87 "
    u"and \"...\" (a character above U+FFFF counts as two)";
inline constexpr T TitleTooWideWarning =
    u"the title {shown} is about {width} px wide, {over} px more than the "
    u"{room} px its box leaves for it";
inline constexpr T SectionTooWideWarning =
    u"the section name {shown} is about {width} px wide, {over} px more than "
    u"the {room} px of its band's label";
inline constexpr T LineTooWideWarning =
    u"the box line {shown} is about {width} px wide, {over} px more than the "
    u"{room} px its box leaves for it";
inline constexpr T NotUtf8Warning =
    u"the line holds bytes that are not UTF-8, read as \"?\" or "
    u"\"\uFFFD\" or left out (save the file as UTF-8)";
inline constexpr T ControlCharacterWarning =
    u"{shown} holds the control character {control}, which the drawing "
    u"shows as \"\uFFFD\"";
inline constexpr T BlankInKeyWarning =
    u"the key {key} has {blank} at its {where}, which is not trimmed like a "
    u"space";
inline constexpr T NotTheKeyHint = u"; it is not {word}";
inline constexpr T BlankInValueWarning =
    u"the value {value} has {blank} at its {where}, which is not trimmed "
    u"like a space and stays in the value";
inline constexpr T BlankAroundSectionWarning =
    u"the line has {blank} at its {where}, which is not trimmed like a "
    u"space, so it is not read as a section line";
inline constexpr T BlankBeforeCommentWarning =
    u"the line has {blank} at its start, which is not trimmed like a space, "
    u"so it is not read as a comment";
inline constexpr T TabName = u"a tab";
inline constexpr T NoBreakSpaceName = u"a no-break space";
inline constexpr T IdeographicSpaceName = u"an ideographic space";
inline constexpr T WhereStart = u"start";
inline constexpr T WhereEnd = u"end";

// PNG and PDF output: reasons shown after the caption of the failure.
inline constexpr T RasterLibraryMissingReason =
    u"PNG and PDF output need {library}, which cannot be loaded ({detail})";
inline constexpr T RasterStaticProgramReason =
    u"PNG and PDF output cannot be drawn by a statically linked program "
    u"(librsvg and cairo cannot be loaded into it)";
inline constexpr T RasterFontMissingReason =
    u"PNG and PDF output need the font Liberation Sans, which is not "
    u"installed ({path} is missing)";
inline constexpr T RasterFontSetupReason =
    u"the fonts for PNG and PDF output cannot be set up";
inline constexpr T RasterSvgUnreadableReason =
    u"the SVG cannot be read for drawing ({detail})";
inline constexpr T RasterNoSizeReason =
    u"the SVG gives no width and height in pixels to draw it at";
inline constexpr T RasterTooLargeReason =
    u"the picture would be {width} x {height} pixels, more than the {most} "
    u"a side that can be drawn";
inline constexpr T RasterDrawFailedReason = u"drawing failed ({detail})";
inline constexpr T RasterScaleReason =
    u"the scale must be from 0.25 to 16";
// flowsvg's picture program (the PNG and PDF of the command line): it
// cannot be started ({reason}: its path and the system's reason), or it
// ended without saying why, by a signal or with an exit status.
inline constexpr T PictureProgramStartReason =
    u"cannot start the picture program: {reason}";
inline constexpr T PictureProgramSignalReason =
    u"the picture program was stopped by signal {signal}";
inline constexpr T PictureProgramExitReason =
    u"the picture program failed with exit status {status}";
inline constexpr T PictureProgramUsage =
    u"usage: flowsvg-picture png|pdf SCALE [DATE] < SVG > PICTURE";
// PNG or PDF asked of a build that cannot draw them (Windows): the command
// line's usage error, and the window's reason.
inline constexpr T PicturesUnavailable =
    u"PNG and PDF output are not available in this build; the browser "
    u"page's Download PNG and Print give them";
// The command line's -T and --scale given a word they do not take.
inline constexpr T BadFormat =
    u"flowsvg: -T needs the output's format: svg, png or pdf";
inline constexpr T BadScale =
    u"flowsvg: --scale needs the PNG's size relative to the SVG, a number "
    u"from 0.25 to 16";

}  // namespace wording

#endif  // FLOWSVG_BASE_WORDING_H_
