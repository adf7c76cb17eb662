#include "desktop/desktop_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf8.h"

namespace {

TEST(DesktopCommandLineTest, ReadsTheOneFileAndTheOptions) {
  const std::string usage =
      "; usage: flowsvg-desktop [FILE] | flowsvg-desktop --help | "
      "flowsvg-desktop --version";
  struct Case {
    std::vector<std::string> args;
    DesktopAction action;
    bool hasFile;
    std::string file;
    std::string complaint;
  };
  const Case cases[] = {
      {{}, DesktopAction::OpenWindow, false, "", ""},
      {{"plan.txt"}, DesktopAction::OpenWindow, true, "plan.txt", ""},
      {{"/abs/plan.ini"}, DesktopAction::OpenWindow, true, "/abs/plan.ini", ""},
      {{"-"}, DesktopAction::OpenWindow, true, "-", ""},
      {{"--", "-q.txt"}, DesktopAction::OpenWindow, true, "-q.txt", ""},
      {{""}, DesktopAction::OpenWindow, true, "", ""},
      {{"--help"}, DesktopAction::ShowHelp, false, "", ""},
      {{"a.txt", "-h"}, DesktopAction::ShowHelp, false, "", ""},
      {{"--bogus", "--version"}, DesktopAction::ShowVersion, false, "", ""},
#ifdef _WIN32
      {{"a.txt", "/?"}, DesktopAction::ShowHelp, false, "", ""},
#else
      {{"/?"}, DesktopAction::OpenWindow, true, "/?", ""},
#endif
      {{"a.txt", "b.txt"},
       DesktopAction::Misuse,
       false,
       "",
       "flowsvg-desktop: more than one FILE given" + usage},
      {{"--", "a", "--help"},
       DesktopAction::Misuse,
       false,
       "",
       "flowsvg-desktop: more than one FILE given" + usage},
      {{"-q"},
       DesktopAction::Misuse,
       false,
       "",
       "flowsvg-desktop: unknown option -q" + usage},
      {{"plan.txt", "--display=:1"},
       DesktopAction::Misuse,
       false,
       "",
       "flowsvg-desktop: unknown option --display=:1" + usage},
      // A name that starts with "-" is shown, not acted on by a terminal.
      {{"-\x1b]0;x\a\xe2\x80\xae"},
       DesktopAction::Misuse,
       false,
       "",
       "flowsvg-desktop: unknown option -\\x1b]0;x\\x07\\u202E" + usage},
  };
  for (const Case& c : cases) {
    std::vector<Text> args;
    std::string shown;
    for (const std::string& a : c.args) {
      args.push_back(decodeUtf8(a));
      shown += "[" + a + "]";
    }
    SCOPED_TRACE(shown);
    const DesktopOptions options = parseDesktopCommandLine(args);
    EXPECT_EQ(options.action, c.action);
    EXPECT_EQ(options.hasFile, c.hasFile);
    EXPECT_EQ(encodeUtf8(options.file), c.file);
    EXPECT_EQ(encodeUtf8(options.complaint), c.complaint);
  }
}

TEST(DesktopCommandLineTest, HelpShowsTheUsageAndTheShortcuts) {
  const std::string help = encodeUtf8(desktopHelpText());
  EXPECT_EQ(help.rfind("Usage: flowsvg-desktop [FILE]\n", 0), 0u);
  for (const char* part :
       {"Ctrl+O", "Ctrl+S", "Ctrl+G", "Ctrl+Q", "Ctrl+W", "--version", "64"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(help.back(), '\n');
}

TEST(DesktopCommandLineTest, MakesAPathAbsoluteAgainstTheWorkingFolder) {
  struct Case {
    const char* path;
    const char* folder;
    const char* absolute;
  };
  const Case cases[] = {
      {"plan.txt", "/home/u/", "/home/u/plan.txt"},
      {"sub/plan.txt", "/home/u/", "/home/u/sub/plan.txt"},
      {"../plan.txt", "/home/u/", "/home/u/../plan.txt"},
      {"-", "/w/", "/w/-"},
      {"/etc/plan.txt", "/home/u/", "/etc/plan.txt"},
      {"C:\\plans\\a.txt", "D:\\w\\", "C:\\plans\\a.txt"},
      {"\\\\server\\a.txt", "D:\\w\\", "\\\\server\\a.txt"},
      {"plan.txt", "", "plan.txt"},
      {"", "/home/u/", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(
        encodeUtf8(absolutePath(decodeUtf8(c.path), decodeUtf8(c.folder))),
        c.absolute);
  }
}

}  // namespace
