// Every national-language text of the two programs: the window's captions,
// status texts, messages and dialogs, the command line's help and
// complaints, and the captions and reasons of their error messages. The
// converter's own texts (the SVG's captions and comments, the warnings about
// a description) are in model/converter_wording.h, the keywords of the
// description format and the sample description in model/keywords.h; a
// translation touches these three files only.
//
// CR (U+000D) breaks the lines of texts shown to the user. Texts with values
// inserted are split around the value: FooBefore + value + FooAfter.
#ifndef FLOWSVG_PLATFORM_WORDING_H_
#define FLOWSVG_PLATFORM_WORDING_H_

#include <string_view>

#include "base/version.h"
#include "model/converter_wording.h"
#include "model/keywords.h"

namespace wording {

using T = std::u16string_view;

inline constexpr T OpenFailureCaption = u"Cannot open the description file: ";

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
    u"SVG file, Ctrl+G generate, Ctrl+Q or Ctrl+W close.",
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

// The command line: its usage line, usage complaints and help. The help's
// {Header}, {subtitle}, {company}, {Summary} and {text} stand for the
// keywords of the description format (model/keywords.h). The version is the project's
// one release number (base/version.h).
inline constexpr T Version = FLOWSVG_VERSION;
inline constexpr T UsageLine =
    u"usage: flowsvg [-q] INPUT [OUTPUT] | flowsvg [-q] [-j N] (-O | "
    u"--out-dir DIR) FILE... | flowsvg [-q] --check FILE... | flowsvg [-q] "
    u"--watch (INPUT [OUTPUT] | -O FILE... | --out-dir DIR FILE...) | "
    u"flowsvg --sample PATH | flowsvg --help | flowsvg --version";
// The part of UsageLine left out where the watch is not available.
inline constexpr T UsageWatchPart =
    u"flowsvg [-q] --watch (INPUT [OUTPUT] | -O FILE... | --out-dir DIR "
    u"FILE...) | ";
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
inline constexpr T NoSuchFolderReason = u"no such folder";
inline constexpr T NotAFolderReason = u"not a folder";
// After OpenFailureCaption and the pattern (Windows wildcards).
inline constexpr T NoFileMatchesReason = u"no file matches";
inline constexpr T WatchUnavailable =
    u"flowsvg: --watch is not available on this system";
inline constexpr T WatchTimeBefore = u"[";
inline constexpr T WatchTimeAfter = u"] ";
// --watch, after the error line of a description that is not there.
inline constexpr T WaitingForItAfter = u"; waiting for it";
// Memory ran out outside the conversion of any one file (the run ends).
inline constexpr T OutOfMemoryLine = u"flowsvg: out of memory";

// The help, line by line. The lines starting with WatchHelpMark are shown,
// without it, only where --watch is available.
inline constexpr T WatchHelpMark = u"{watch}";
inline constexpr T HelpLines[] = {
    u"Usage: flowsvg [-q] INPUT [OUTPUT]",
    u"       flowsvg [-q] [-j N] -O FILE...",
    u"       flowsvg [-q] [-j N] --out-dir DIR FILE...",
    u"       flowsvg [-q] --check FILE...",
    u"{watch}       flowsvg [-q] --watch INPUT [OUTPUT]",
    u"{watch}       flowsvg [-q] --watch -O FILE... | --watch --out-dir DIR "
    u"FILE...",
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
    u"  -q             print nothing on success, and no warnings",
    u"  -O             convert each FILE to the SVG beside it (plan.txt gives",
    u"                 plan.svg)",
    u"  --out-dir DIR  convert each FILE to an SVG of the same name in DIR",
    u"  -j N           run N conversions at once (default: one per processor)",
    u"  --check        read each FILE and print its warnings on standard",
    u"                 output; write nothing",
    u"{watch}  --watch        convert, then convert again whenever a "
    u"description is",
    u"{watch}                 saved, until Ctrl+C",
    u"  --sample PATH  write a ready-made sample description to PATH",
    u"  --help         show this help",
    u"  --version      show the version",
    u"",
    u"With SOURCE_DATE_EPOCH set to a number of seconds since 1970-01-01",
    u"00:00:00 UTC, conversions write that moment, in UTC, as the drawing's",
    u"time, so the same description always gives the same bytes.",
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
};

// The command line prints each warning about a description (its sentences
// are in model/converter_wording.h) as the file, WarningBeforeLine, the line
// number, WarningAfterLine and the sentence; after the first 1,000 of a
// file, MoreWarnings.
inline constexpr T WarningBeforeLine = u":";
inline constexpr T WarningAfterLine = u": warning: ";
inline constexpr T MoreWarnings = u"{n} more warnings are not shown";

}  // namespace wording

#endif  // FLOWSVG_PLATFORM_WORDING_H_
