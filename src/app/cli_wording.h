// The texts only the command line shows: its usage line, help and usage
// complaints. Texts it shares with the window (error captions, the success
// report) come from text/wording.h. The keywords of the description format
// are inserted into the help from there too.
#ifndef FLOWSVG_APP_CLI_WORDING_H_
#define FLOWSVG_APP_CLI_WORDING_H_

#include <string_view>

namespace cli_wording {

using T = std::u16string_view;

inline constexpr T Version = u"2.0.0";
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

// The help, line by line; {Header}, {subtitle}, {company}, {Summary} and
// {text} stand for the keywords of the description format.
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

}  // namespace cli_wording

#endif  // FLOWSVG_APP_CLI_WORDING_H_
