#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/watch.h"
#include "base/utf8.h"

namespace {

std::string utf8(const Text& text) { return encodeUtf8(text); }

std::vector<Text> texts(const std::vector<std::string>& args) {
  std::vector<Text> result;
  for (const std::string& arg : args) result.push_back(decodeUtf8(arg));
  return result;
}

std::vector<std::string> utf8All(const std::vector<Text>& texts) {
  std::vector<std::string> result;
  for (const Text& text : texts) result.push_back(utf8(text));
  return result;
}

// The one file of a single conversion as a list; none for "".
std::vector<std::string> oneFile(const char* name) {
  if (*name == 0) return {};
  return {name};
}

TEST(CommandLineTest, ReadsActionsFilesAndOptions) {
  const struct {
    std::vector<std::string> args;
    CliAction action;
    const char* input;
    const char* output;
    bool quiet;
    const char* sample;
  } cases[] = {
      {{"a.txt"}, CliAction::Convert, "a.txt", "a.svg", false, ""},
      {{"a.txt", "b.svg"}, CliAction::Convert, "a.txt", "b.svg", false, ""},
      {{"-q", "a.txt"}, CliAction::Convert, "a.txt", "a.svg", true, ""},
      {{"a.txt", "--quiet", "-"}, CliAction::Convert, "a.txt", "-", true, ""},
      {{"-"}, CliAction::Convert, "-", "-", false, ""},
      {{"-", "out.svg"}, CliAction::Convert, "-", "out.svg", false, ""},
      {{"--", "-q", "-x"}, CliAction::Convert, "-q", "-x", false, ""},
      {{"--sample", "s.txt"}, CliAction::WriteSample, "", "", false, "s.txt"},
      {{"-q", "--sample", "-"}, CliAction::WriteSample, "", "", true, "-"},
      {{"--help"}, CliAction::ShowHelp, "", "", false, ""},
      {{"a.txt", "-h"}, CliAction::ShowHelp, "", "", false, ""},
      {{"--bogus", "--version"}, CliAction::ShowVersion, "", "", false, ""},
      {{"--", "--help"}, CliAction::Convert, "--help", "--help.svg", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CliOptions options = parseCommandLine(texts(c.args));
    EXPECT_EQ(options.action, c.action);
    EXPECT_EQ(utf8All(options.inputs), oneFile(c.input));
    EXPECT_EQ(utf8All(options.outputs), oneFile(c.output));
    EXPECT_EQ(options.quiet, c.quiet);
    EXPECT_EQ(utf8(options.samplePath), c.sample);
  }
}

// Runs of many files, checks and watches: the files in argument order and
// where each SVG goes.
TEST(CommandLineTest, ReadsRunsOfManyFiles) {
  using Files = std::vector<std::string>;
  const struct {
    std::vector<std::string> args;
    CliAction action;
    Files inputs;
    Files outputs;
    int32_t jobs;
  } cases[] = {
      {{"-O", "a.txt", "d/b.ini"},
       CliAction::ConvertMany,
       {"a.txt", "d/b.ini"},
       {"a.svg", "d/b.svg"},
       0},
      {{"a.txt", "--out-dir", "out", "d/b.ini", "-j", "3"},
       CliAction::ConvertMany,
       {"a.txt", "d/b.ini"},
       {"out/a.svg", "out/b.svg"},
       3},
      {{"--out-dir", "out/", "-j2", "x.svg"},
       CliAction::ConvertMany,
       {"x.svg"},
       {"out/x.svg.svg"},
       2},
      {{"--check", "a.txt", "-", "b.txt"},
       CliAction::Check,
       {"a.txt", "-", "b.txt"},
       {},
       0},
      {{"--watch", "a.txt"}, CliAction::Watch, {"a.txt"}, {"a.svg"}, 0},
      {{"--watch", "a.txt", "o.svg"},
       CliAction::Watch,
       {"a.txt"},
       {"o.svg"},
       0},
      {{"--watch", "-O", "a.txt", "b.txt"},
       CliAction::Watch,
       {"a.txt", "b.txt"},
       {"a.svg", "b.svg"},
       0},
      {{"--jobs", "12", "a.txt"}, CliAction::Convert, {"a.txt"}, {"a.svg"}, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CliOptions options = parseCommandLine(texts(c.args));
    EXPECT_EQ(options.action, c.action);
    EXPECT_EQ(utf8All(options.inputs), c.inputs);
    EXPECT_EQ(utf8All(options.outputs), c.outputs);
    EXPECT_EQ(options.jobs, c.jobs);
  }
}

TEST(CommandLineTest, MisuseIsOneLineSayingWhatIsWrong) {
  const struct {
    std::vector<std::string> args;
    const char* complaint;
  } cases[] = {
      {{}, "flowsvg: no input file given"},
      {{"-q"}, "flowsvg: no input file given"},
      {{"a", "b", "c"}, "flowsvg: too many arguments"},
      {{"-x", "a"}, "flowsvg: unknown option -x"},
      // A file name that starts with "-" is shown, not acted on.
      {{"-\x1b]0;PWNED\a\x1b[2J\nfake line.txt"},
       "flowsvg: unknown option -\\x1b]0;PWNED\\x07\\x1b[2J\\x0afake "
       "line.txt"},
      {{"-\xe2\x80\xae\xc2\x9b"}, "flowsvg: unknown option -\\u202E\\u009B"},
      {{"--sample"}, "flowsvg: --sample needs a PATH"},
      {{"--sample", "a", "--sample", "b"}, "flowsvg: --sample needs a PATH"},
      {{"--sample", "a", "b"}, "flowsvg: --sample PATH takes no other file"},
      {{"--sample", "a", "-O"}, "flowsvg: --sample PATH takes no other file"},
      {{"-O"}, "flowsvg: no input file given"},
      {{"--out-dir"}, "flowsvg: --out-dir needs a DIR"},
      {{"--out-dir", "", "a"}, "flowsvg: --out-dir needs a DIR"},
      {{"-O", "--out-dir", "d", "a"},
       "flowsvg: -O and --out-dir cannot be used together"},
      {{"--check", "-O", "a"},
       "flowsvg: --check writes nothing; it takes no -O, --out-dir or "
       "--watch"},
      {{"--watch", "--check", "a"},
       "flowsvg: --check writes nothing; it takes no -O, --out-dir or "
       "--watch"},
      {{"-O", "a", "-"},
       "flowsvg: - (standard input or output) cannot be used with -O, "
       "--out-dir or --watch"},
      {{"--watch", "a", "-"},
       "flowsvg: - (standard input or output) cannot be used with -O, "
       "--out-dir or --watch"},
      {{"--watch", "a", "b", "c"}, "flowsvg: too many arguments"},
      {{"-j", "0", "a"},
       "flowsvg: -j needs the number of conversions to run at once, 1 to "
       "9999"},
      {{"-jx", "a"},
       "flowsvg: -j needs the number of conversions to run at once, 1 to "
       "9999"},
      {{"a", "-j"},
       "flowsvg: -j needs the number of conversions to run at once, 1 to "
       "9999"},
      {{"--serve", "a", "--port"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "0", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "65536", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "080", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "-1", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "8080x", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--serve", "--port", "1", "--port", "2", "a"},
       "flowsvg: --port needs the number of a port, 1 to 65535"},
      {{"--port", "8080", "a"},
       "flowsvg: --port and --open go with --serve only"},
      {{"--watch", "--open", "a"},
       "flowsvg: --port and --open go with --serve only"},
      {{"--serve", "a", "b", "c"},
       "flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
       "them itself), and no -O, --out-dir, --check or --watch"},
      {{"--serve", "-O", "a", "b"},
       "flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
       "them itself), and no -O, --out-dir, --check or --watch"},
      {{"--serve", "--out-dir", "d", "a"},
       "flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
       "them itself), and no -O, --out-dir, --check or --watch"},
      {{"--serve", "--watch", "a"},
       "flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
       "them itself), and no -O, --out-dir, --check or --watch"},
      {{"--check", "--serve", "a"},
       "flowsvg: --serve takes one INPUT and at most one OUTPUT (it watches "
       "them itself), and no -O, --out-dir, --check or --watch"},
      {{"--serve"}, "flowsvg: no input file given"},
      {{"--serve", "-"},
       "flowsvg: - (standard input or output) cannot be used with --serve"},
      {{"--serve", "a", "-"},
       "flowsvg: - (standard input or output) cannot be used with --serve"},
      {{"--serve", "--sample", "s"},
       "flowsvg: --sample PATH takes no other file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CliOptions options = parseCommandLine(texts(c.args));
    EXPECT_EQ(options.action, CliAction::Misuse);
    std::string complaint = utf8(options.complaint);
    EXPECT_EQ(complaint.rfind(std::string(c.complaint) + "; usage: flowsvg", 0),
              0u)
        << complaint;
    EXPECT_EQ(complaint.find('\n'), std::string::npos);
  }
}

TEST(CommandLineTest, DefaultOutputLiesBesideTheInput) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"chart.txt", "chart.svg"},
      {"dir/chart.ini", "dir/chart.svg"},
      {"archive.tar.gz", "archive.tar.svg"},
      {"chart", "chart.svg"},
      {"my.dir/chart", "my.dir/chart.svg"},
      {"dir/.hidden", "dir/.hidden.svg"},
      {"chart.", "chart.svg"},
      {"my chart.txt", "my chart.svg"},
      {"chart.svg", "chart.svg.svg"},
      {"-", "-"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8(defaultOutputPath(decodeUtf8(c.input))), c.output)
        << c.input;
    EXPECT_EQ(utf8(batchOutputPath(decodeUtf8(c.input), u"")), c.output)
        << c.input;
  }
}

TEST(CommandLineTest, OutputFolderTakesTheFileNameOnly) {
  const struct {
    const char* input;
    const char* folder;
    const char* output;
  } cases[] = {
      {"chart.txt", "out", "out/chart.svg"},
      {"a/b/chart.ini", "out/", "out/chart.svg"},
      {"my.dir/chart", "/tmp/x", "/tmp/x/chart.svg"},
      {"c:\\data\\chart.txt", "out", "out/chart.svg"},
      {"chart.svg", "o", "o/chart.svg.svg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8(batchOutputPath(decodeUtf8(c.input), decodeUtf8(c.folder))),
              c.output)
        << c.input;
  }
}

TEST(CommandLineTest, SourceDateEpoch) {
  const struct {
    const char* value;
    SourceDate result;
    Timestamp when;
  } cases[] = {
      {nullptr, SourceDate::Unset, -1},
      {"", SourceDate::Unset, -1},
      {"0", SourceDate::Set, 0},
      {"1700000000", SourceDate::Set, 1700000000},
      {"007", SourceDate::Set, 7},
      {"253402300799", SourceDate::Set, 253402300799},  // 9999-12-31 23:59:59
      {"253402300800", SourceDate::Invalid, -1},
      {"99999999999999999999999", SourceDate::Invalid, -1},
      {"-1", SourceDate::Invalid, -1},
      {"+5", SourceDate::Invalid, -1},
      {" 5", SourceDate::Invalid, -1},
      {"5 ", SourceDate::Invalid, -1},
      {"1.5", SourceDate::Invalid, -1},
      {"now", SourceDate::Invalid, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "(unset)" : c.value);
    Timestamp when = -1;
    EXPECT_EQ(readSourceDateEpoch(c.value, &when), c.result);
    EXPECT_EQ(when, c.when);
  }
  EXPECT_EQ(utf8(sourceDateComplaint("x\ny")),
            "flowsvg: SOURCE_DATE_EPOCH must be a whole number of seconds "
            "from 0 to 253402300799 (the end of the year 9999), not "
            "\"x\\x0ay\"");
}

TEST(CommandLineTest, SuccessLineIsTheGeneratedMessageOnOneLine) {
  EXPECT_EQ(utf8(successLine(u"out/chart.svg", 1, 4)),
            "SVG file generated. File: out/chart.svg, Sections: 1, Items: 4");
}

TEST(CommandLineTest, HelpNamesTheKeywordsAndExitCodes) {
  std::string help = utf8(helpText());
  for (const char* part :
       {"[Header]", "subtitle = ", "company = ", "[Summary]",
        "text = ", "itemid = N", "fromid = N,N", "64 wrong usage"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(help.find('{'), std::string::npos);
}

// Wildcards, as flowsvg expands them where the shell does not (Windows):
// every description argument, never OUTPUT, before the outputs are named.
TEST(CommandLineTest, WildcardsStandForTheFilesTheyMatch) {
  const FileLister list = [](TextView folder, std::vector<Text>* names) {
    if (folder == u"in/") {
      *names = {u"b.txt", u"a.txt"};
    } else if (folder.empty()) {
      *names = {u"only.ini"};
    } else {
      return false;
    }
    return true;
  };
  using Files = std::vector<std::string>;
  const struct {
    std::vector<std::string> args;
    CliAction action;
    Files inputs;
    Files outputs;
  } cases[] = {
      {{"*.ini"}, CliAction::Convert, {"only.ini"}, {"only.svg"}},
      {{"*.ini", "o*.svg"}, CliAction::Convert, {"only.ini"}, {"o*.svg"}},
      {{"--watch", "o?ly.INI"}, CliAction::Watch, {"only.ini"}, {"only.svg"}},
      {{"-O", "in/*.txt", "x.txt"},
       CliAction::ConvertMany,
       {"in/a.txt", "in/b.txt", "x.txt"},
       {"in/a.svg", "in/b.svg", "x.svg"}},
      {{"--out-dir", "o*", "in/*"},
       CliAction::ConvertMany,
       {"in/a.txt", "in/b.txt"},
       {"o*/a.svg", "o*/b.svg"}},
      {{"--check", "*", "in/a*"},
       CliAction::Check,
       {"only.ini", "in/a.txt"},
       {}},
      {{"--watch", "-O", "in/*.txt"},
       CliAction::Watch,
       {"in/a.txt", "in/b.txt"},
       {"in/a.svg", "in/b.svg"}},
      {{"-", "*.svg"}, CliAction::Convert, {"-"}, {"*.svg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CliOptions options = parseCommandLine(texts(c.args), &list);
    EXPECT_EQ(options.action, c.action);
    EXPECT_EQ(utf8All(options.inputs), c.inputs);
    EXPECT_EQ(utf8All(options.outputs), c.outputs);
  }

  // Patterns that match nothing, in argument order.
  CliOptions none =
      parseCommandLine(texts({"-O", "*.txt", "in/*.ini", "in/a.txt"}), &list);
  EXPECT_EQ(none.action, CliAction::NoMatch);
  EXPECT_EQ(utf8All(none.unmatched), (Files{"*.txt", "in/*.ini"}));
  EXPECT_TRUE(none.inputs.empty());

  // One INPUT that stands for many.
  CliOptions many = parseCommandLine(texts({"in/*.txt"}), &list);
  EXPECT_EQ(many.action, CliAction::Misuse);
  EXPECT_EQ(
      utf8(many.complaint)
          .rfind("flowsvg: in/*.txt matches 2 files, but INPUT is one file (-O "
                 "or --out-dir convert many); usage: flowsvg",
                 0),
      0u);

  // Without a lister (POSIX, where the shell expands), "*" is a name's own.
  CliOptions literal = parseCommandLine(texts({"-O", "*.txt"}));
  EXPECT_EQ(utf8All(literal.inputs), (Files{"*.txt"}));
}

TEST(CommandLineTest, SlashQuestionMarkIsHelpOnWindowsOnly) {
  CliOptions options = parseCommandLine(texts({"/?"}));
#ifdef _WIN32
  EXPECT_EQ(options.action, CliAction::ShowHelp);
#else
  // A file named "?" in the root folder.
  EXPECT_EQ(options.action, CliAction::Convert);
  EXPECT_EQ(utf8All(options.inputs), std::vector<std::string>{"/?"});
#endif
}

TEST(CommandLineTest, ServeTakesOneFileAPortAndOpen) {
  const struct {
    std::vector<std::string> args;
    const char* output;
    uint16_t port;
    bool open;
  } cases[] = {
      {{"--serve", "a.txt"}, "a.svg", 0, false},
      {{"a.txt", "--serve", "b.svg"}, "b.svg", 0, false},
      {{"-q", "--serve", "--port", "1", "a.txt"}, "a.svg", 1, false},
      {{"--serve", "--port", "65535", "--open", "a.txt"}, "a.svg", 65535,
       true},
      {{"--open", "--serve", "a.txt", "--port", "8123"}, "a.svg", 8123, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CliOptions options = parseCommandLine(texts(c.args));
    EXPECT_EQ(options.action, CliAction::Serve);
    EXPECT_EQ(utf8All(options.inputs), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(utf8All(options.outputs), std::vector<std::string>{c.output});
    EXPECT_EQ(options.port, c.port);
    EXPECT_EQ(options.open, c.open);
  }
}

// Where --serve is not available (no page built in, or no watch), neither
// the help nor the usage line offers it.
TEST(CommandLineTest, ServeIsOfferedWhereItIsAvailable) {
  const std::string help = utf8(helpText());
  const std::string usage =
      utf8(parseCommandLine(texts({"--bogus"})).complaint);
  const bool offered = serveAvailable();
  EXPECT_EQ(help.find("--serve") != std::string::npos, offered) << help;
  EXPECT_EQ(help.find("  --port N       serve on port N") != std::string::npos,
            offered);
  EXPECT_EQ(usage.find("--serve [--port N] [--open] INPUT [OUTPUT] | ") !=
                std::string::npos,
            offered)
      << usage;
  EXPECT_EQ(help.find("{serve}"), std::string::npos);
  EXPECT_NE(usage.find("| flowsvg --sample PATH |"), std::string::npos);
}

// Both the help and the usage line offer --watch (every build watches).
TEST(CommandLineTest, WatchIsOffered) {
  const std::string help = utf8(helpText());
  const std::string usage =
      utf8(parseCommandLine(texts({"--bogus"})).complaint);
  EXPECT_NE(help.find("  --watch        convert, then convert again"),
            std::string::npos) << help;
  EXPECT_NE(help.find("saved, until Ctrl+C"), std::string::npos);
  EXPECT_NE(usage.find("--watch (INPUT [OUTPUT] | -O FILE..."),
            std::string::npos) << usage;
  EXPECT_NE(help.find("  --check        read each FILE"), std::string::npos);
  EXPECT_NE(usage.find("| flowsvg --sample PATH |"), std::string::npos);
}

}  // namespace

namespace {

TEST(CommandLineTest, DrawingOptionsChooseFormatScaleAndAccessibility) {
  const struct {
    std::vector<std::string> args;
    bool formatGiven;
    DrawingFormat format;
    double scale;
    bool accessible;
    std::vector<std::string> outputs;
  } cases[] = {
      {{"a.txt"}, false, DrawingFormat::Svg, 1, false, {"a.svg"}},
      {{"a.txt", "a.png"}, false, DrawingFormat::Svg, 1, false, {"a.png"}},
      {{"-T", "png", "a.txt"}, true, DrawingFormat::Png, 1, false, {"a.png"}},
      {{"-Tpdf", "a.txt"}, true, DrawingFormat::Pdf, 1, false, {"a.pdf"}},
      {{"-T", "PDF", "a.txt", "x.svg"}, true, DrawingFormat::Pdf, 1, false,
       {"x.svg"}},
      {{"-T", "svg", "a.txt"}, true, DrawingFormat::Svg, 1, false, {"a.svg"}},
      {{"-T", "png", "-T", "pdf", "a.txt"}, true, DrawingFormat::Pdf, 1,
       false, {"a.pdf"}},
      {{"-T", "png", "-"}, true, DrawingFormat::Png, 1, false, {"-"}},
      {{"-T", "pdf", "a.png"}, true, DrawingFormat::Pdf, 1, false, {"a.pdf"}},
      {{"-T", "png", "-O", "a.txt", "d/b"}, true, DrawingFormat::Png, 1, false,
       {"a.png", "d/b.png"}},
      {{"-T", "pdf", "--out-dir", "o", "d/a.txt"}, true, DrawingFormat::Pdf, 1,
       false, {"o/a.pdf"}},
      {{"--scale", "2", "a.txt", "a.png"}, false, DrawingFormat::Svg, 2, false,
       {"a.png"}},
      {{"--scale", "0.25", "a.txt"}, false, DrawingFormat::Svg, 0.25, false,
       {"a.svg"}},
      {{"--scale", "16", "a.txt"}, false, DrawingFormat::Svg, 16, false,
       {"a.svg"}},
      {{"--scale", "1.5", "a.txt"}, false, DrawingFormat::Svg, 1.5, false,
       {"a.svg"}},
      {{"--scale", ".5", "a.txt"}, false, DrawingFormat::Svg, 0.5, false,
       {"a.svg"}},
      {{"--scale", "16.000", "a.txt"}, false, DrawingFormat::Svg, 16, false,
       {"a.svg"}},
      {{"--accessible", "a.txt"}, false, DrawingFormat::Svg, 1, true,
       {"a.svg"}},
      {{"--", "-T", "png"}, false, DrawingFormat::Svg, 1, false, {"png"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const CliOptions options = parseCommandLine(texts(c.args));
    ASSERT_NE(options.action, CliAction::Misuse) << utf8(options.complaint);
    EXPECT_EQ(options.formatGiven, c.formatGiven);
    EXPECT_EQ(options.drawing.format, c.format);
    EXPECT_EQ(options.drawing.scale, c.scale);
    EXPECT_EQ(options.drawing.accessible, c.accessible);
    EXPECT_EQ(utf8All(options.outputs), c.outputs);
  }
}

TEST(CommandLineTest, DrawingOptionsTakeOnlyWhatTheyName) {
  const struct {
    std::vector<std::string> args;
    const char* complaint;
  } cases[] = {
      {{"-T", "gif", "a.txt"}, "-T needs the output's format"},
      {{"-Tjpeg", "a.txt"}, "-T needs the output's format"},
      {{"-T", "", "a.txt"}, "-T needs the output's format"},
      {{"a.txt", "-T"}, "-T needs the output's format"},
      {{"-T", "png.", "a.txt"}, "-T needs the output's format"},
      {{"--scale", "0.2", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "16.01", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "0", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "-1", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "1,5", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "1.2.3", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "1e1", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", ".", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "nan", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "", "a.txt"}, "--scale needs the PNG's size"},
      {{"--scale", "99999999999999999999", "a.txt"},
       "--scale needs the PNG's size"},
      {{"a.txt", "--scale"}, "--scale needs the PNG's size"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const CliOptions options = parseCommandLine(texts(c.args));
    EXPECT_EQ(options.action, CliAction::Misuse);
    EXPECT_EQ(utf8(options.complaint).rfind(std::string("flowsvg: ") +
                                                c.complaint, 0),
              0u)
        << utf8(options.complaint);
  }
}

TEST(CommandLineTest, TheFormatOfAPathIsItsExtensionInAnyCase) {
  const struct {
    const char* path;
    DrawingFormat format;
  } cases[] = {
      {"a.png", DrawingFormat::Png},   {"a.PNG", DrawingFormat::Png},
      {"a.Pdf", DrawingFormat::Pdf},   {"d.png/a", DrawingFormat::Svg},
      {"a.svg", DrawingFormat::Svg},   {"a.png.svg", DrawingFormat::Svg},
      {"a.svg.pdf", DrawingFormat::Pdf}, {"a", DrawingFormat::Svg},
      {"-", DrawingFormat::Svg},       {".png", DrawingFormat::Svg},
      {"a.jpg", DrawingFormat::Svg},   {"a. png", DrawingFormat::Svg},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(formatOfPath(decodeUtf8(c.path)), c.format);
  }
}

TEST(CommandLineTest, SuccessLineNamesTheFormatWritten) {
  EXPECT_EQ(utf8(successLine(u"p.png", 1, 4, DrawingFormat::Png)),
            "PNG file generated. File: p.png, Sections: 1, Items: 4");
  EXPECT_EQ(utf8(successLine(u"p.pdf", 2, 0, DrawingFormat::Pdf)),
            "PDF file generated. File: p.pdf, Sections: 2, Items: 0");
}

}  // namespace
