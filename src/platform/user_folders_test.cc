#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "base/utf8.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the lifetime of the object, then puts
// the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// What `xdg-user-dir DOCUMENTS` prints in the current environment, without
// a trailing separator.
std::string xdgUserDir() {
  FILE* pipe = popen("xdg-user-dir DOCUMENTS", "r");
  if (pipe == nullptr) return "(xdg-user-dir did not start)";
  std::string out;
  char chunk[256];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
    out.append(chunk, got);
  pclose(pipe);
  if (!out.empty() && out.back() == '\n') out.pop_back();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

TEST(UserFoldersTest, DocumentsFolderIsTheOneUserDirsNamesWhenItExists) {
  TempFolder temp;
  const std::string home = temp.file("home");
  fs::create_directories(home + "/Docs");
  fs::create_directories(home + "/My \"Docs\" $x");
  fs::create_directories(home + "/Dokumente \xe9");
  fs::create_directories(temp.file("elsewhere"));
  fs::create_directories(temp.file("config"));
  struct Case {
    const char* label;
    std::string lines;   // the user-dirs.dirs file; empty: no file
    std::string folder;  // what documentsFolder gives, without the "/"
    bool sameAsXdg;      // xdg-user-dir prints the same folder
  };
  const Case cases[] = {
      {"no file", "", home, true},
      {"under $HOME", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", home + "/Docs",
       true},
      {"among the others, with comments",
       "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/x\"\n"
       "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_MUSIC_DIR=\"$HOME/y\"\n",
       home + "/Docs", true},
      {"an absolute folder",
       "XDG_DOCUMENTS_DIR=\"" + temp.file("elsewhere") + "\"\n",
       temp.file("elsewhere"), true},
      {"escapes in quotes",
       "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\" \\$x\"\n",
       home + "/My \"Docs\" $x", true},
      {"a name that is not UTF-8",
       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente \xe9\"\n", home + "/Dokumente \xe9",
       true},
      {"the later line wins",
       "XDG_DOCUMENTS_DIR=\"$HOME/gone\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
       home + "/Docs", true},
      {"the folder does not exist: home, nothing created",
       "XDG_DOCUMENTS_DIR=\"$HOME/Missing\"\n", home, false},
      {"the home folder itself", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", home, true},
  };
  for (const bool ownConfig : {true, false}) {
    // XDG_CONFIG_HOME names the folder of user-dirs.dirs; unset, it is
    // ~/.config.
    const std::string config =
        ownConfig ? temp.file("config") : home + "/.config";
    fs::create_directories(config);
    const ScopedVariable homeVariable("HOME", home.c_str());
    const ScopedVariable configVariable("XDG_CONFIG_HOME",
                                        ownConfig ? config.c_str() : nullptr);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message()
                   << c.label << (ownConfig ? "" : ", ~/.config"));
      fs::remove(config + "/user-dirs.dirs");
      if (!c.lines.empty()) writeBytes(config + "/user-dirs.dirs", c.lines);
      const Text found = documentsFolder();
      EXPECT_EQ(nativePath(found), c.folder + "/");
      if (c.sameAsXdg) {
        EXPECT_EQ(xdgUserDir() + "/", nativePath(found));
      }
      EXPECT_FALSE(fs::exists(home + "/Missing"));
    }
  }
}

// Runs canWriteInFolder(folder) as a user who does not own it: as root, in a
// child that has become nobody; otherwise as this user.
int32_t canWriteAsAnotherUser(const std::string& folder) {
  if (geteuid() != 0) return canWriteInFolder(textFromNativePath(folder));
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(9);
    _exit(canWriteInFolder(textFromNativePath(folder)));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 9;
}

TEST(UserFoldersTest, CanWriteInFolderTellsWhereFilesCanBeCreated) {
  TempFolder temp;
  chmod(temp.path().c_str(), 0755);
  const std::string open = temp.file("open");
  const std::string closed = temp.file("closed");
  fs::create_directory(open);
  fs::create_directory(closed);
  chmod(open.c_str(), 0777);
  chmod(closed.c_str(), geteuid() == 0 ? 0755 : 0555);
  writeBytes(temp.file("file"), "x");
  EXPECT_EQ(canWriteInFolder(textFromNativePath(temp.path())), 1);
  EXPECT_EQ(canWriteInFolder(temp.text("missing")), 0);
  EXPECT_EQ(canWriteInFolder(temp.text("file")), 0);
  EXPECT_EQ(canWriteAsAnotherUser(open), 1);
  EXPECT_EQ(canWriteAsAnotherUser(closed), 0);
  chmod(closed.c_str(), 0755);
}

TEST(UserFoldersTest, SameFolderFollowsLinks) {
  TempFolder temp;
  const std::string bin = temp.file("usr/bin");
  fs::create_directories(bin);
  fs::create_directory_symlink("usr/bin", temp.file("bin"));
  fs::create_directories(temp.file("other"));
  writeBytes(temp.file("file"), "x");
  const Text binText = textFromNativePath(bin);
  EXPECT_EQ(sameFolder(binText, binText), 1);
  EXPECT_EQ(sameFolder(binText + u"/", temp.text("bin")), 1);
  EXPECT_EQ(sameFolder(temp.text("usr/../usr/bin/"), binText), 1);
  EXPECT_EQ(sameFolder(binText, temp.text("other")), 0);
  EXPECT_EQ(sameFolder(temp.text("file"), temp.text("file")), 0);
  EXPECT_EQ(sameFolder(temp.text("missing"), temp.text("missing")), 0);
}

TEST(UserFoldersTest, WorkingFolderEndsInASeparatorAndKeepsItsBytes) {
  TempFolder temp;
  const std::string odd = temp.file("work \xe9");
  fs::create_directory(odd);
  const fs::path saved = fs::current_path();
  ASSERT_EQ(chdir(odd.c_str()), 0);
  const Text working = workingFolder();
  fs::current_path(saved);
  EXPECT_EQ(nativePath(working), fs::canonical(odd).string() + "/");
}

}  // namespace
