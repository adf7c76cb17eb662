#include "platform/wildcards.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/utf8.h"

namespace {

Text t(const std::string& utf8) { return decodeUtf8(utf8); }

std::vector<std::string> utf8All(const std::vector<Text>& texts) {
  std::vector<std::string> result;
  for (const Text& text : texts) result.push_back(encodeUtf8(text));
  return result;
}

TEST(WildcardsTest, MatchesAsWindowsMatchesNames) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.txt", "plan.txt", true},
      {"*.txt", "PLAN.TXT", true},
      {"*.TXT", "plan.txt", true},
      {"*.txt", "plan.txt.bak", false},
      {"*.txt", "plan.txtx", false},
      {"*.txt", ".txt", true},
      {"p*n.txt", "pn.txt", true},
      {"p*n.txt", "plan.txt", true},
      {"p*n.txt", "plan.ini", false},
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"?.txt", ".txt", false},
      {"??", "\xc3\xa9\xc3\xa9", true},         // é é
      {"?.txt", "\xf0\x9f\x93\x8a.txt", true},  // one character, two units
      {"??.txt", "\xf0\x9f\x93\x8a.txt", false},
      {"\xc3\x89*", "\xc3\xa9t\xc3\xa9.txt", true},  // É matches é
      {"*", "anything", true},
      {"*", "", true},
      {"*a*b*c", "xaxbxc", true},
      {"*a*b*c", "xaxcxb", false},
      {"a**b", "ab", true},
      {"*.*", "README", true},  // "*.*" is every name
      {"plan.*", "plan", true},
      {"plan.*", "plan.txt", true},
      {"plan.*", "planet", false},
      {"*.", "README", true},  // no extension
      {"*.", "plan.txt", false},
      {"plan.txt", "plan.txt", true},
      {"plan.txt", "Plan.Txt", true},
      {"plan.txt", "plan.txt ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pattern << " / " << c.name);
    EXPECT_EQ(matchesWildcard(t(c.pattern), t(c.name)), c.matches);
  }
}

TEST(WildcardsTest, OnlyTheFilePartHoldsWildcards) {
  EXPECT_TRUE(holdsWildcard(u"*.txt"));
  EXPECT_TRUE(holdsWildcard(u"sub\\plan?.txt"));
  EXPECT_TRUE(holdsWildcard(u"C:*.txt"));
  EXPECT_FALSE(holdsWildcard(u"plan.txt"));
  EXPECT_FALSE(holdsWildcard(u"\\\\?\\C:\\plans\\plan.txt"));
  EXPECT_FALSE(holdsWildcard(u"a*b\\plan.txt"));
  EXPECT_FALSE(holdsWildcard(u""));
}

// Each pattern stands for its matches in name order, in the place of the
// argument; other arguments stay; a pattern matching nothing is set apart.
TEST(WildcardsTest, ExpandsEachPatternInNameOrder) {
  const std::map<Text, std::vector<Text>> folders = {
      {u"", {u"b.txt", u"A.txt", u"c.ini", u"a.TXT", u"notes.txt.bak"}},
      {u"sub\\", {u"z.txt", u"y.txt"}},
      {u"C:", {u"d.txt"}},
  };
  std::vector<Text> listed;
  const FileLister list = [&](TextView folder, std::vector<Text>* names) {
    listed.emplace_back(folder);
    const auto found = folders.find(Text(folder));
    if (found == folders.end()) return false;
    *names = found->second;
    return true;
  };
  const struct {
    std::vector<std::string> files;
    std::vector<std::string> expanded;
    std::vector<std::string> unmatched;
  } cases[] = {
      {{"*.txt"}, {"A.txt", "a.TXT", "b.txt"}, {}},
      {{"x.ini", "sub\\*.txt", "c.*"},
       {"x.ini", "sub\\y.txt", "sub\\z.txt", "c.ini"},
       {}},
      {{"C:*.txt"}, {"C:d.txt"}, {}},
      {{"*.svg", "b.txt", "nowhere\\*.txt"},
       {"b.txt"},
       {"*.svg", "nowhere\\*.txt"}},
      {{"plain.txt", "-"}, {"plain.txt", "-"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.files));
    std::vector<Text> files;
    for (const std::string& file : c.files) files.push_back(t(file));
    std::vector<Text> unmatched;
    EXPECT_EQ(utf8All(expandWildcards(files, list, &unmatched)), c.expanded);
    EXPECT_EQ(utf8All(unmatched), c.unmatched);
  }
  // A folder is listed only for an argument that holds a wildcard.
  listed.clear();
  std::vector<Text> unmatched;
  expandWildcards({u"sub\\plain.txt"}, list, &unmatched);
  EXPECT_TRUE(listed.empty());
}

}  // namespace
