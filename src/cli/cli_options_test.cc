#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf8.h"

namespace {

std::string utf8(const Text& text) { return encodeUtf8(text); }

std::vector<Text> texts(const std::vector<std::string>& args) {
  std::vector<Text> result;
  for (const std::string& arg : args) result.push_back(decodeUtf8(arg));
  return result;
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
    EXPECT_EQ(utf8(options.input), c.input);
    EXPECT_EQ(utf8(options.output), c.output);
    EXPECT_EQ(options.quiet, c.quiet);
    EXPECT_EQ(utf8(options.samplePath), c.sample);
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
      {{"--sample"}, "flowsvg: --sample needs a PATH"},
      {{"--sample", "a", "--sample", "b"}, "flowsvg: --sample needs a PATH"},
      {{"--sample", "a", "b"}, "flowsvg: --sample PATH takes no other file"},
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
  }
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

}  // namespace
