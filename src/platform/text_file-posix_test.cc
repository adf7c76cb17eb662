// What a replacement keeps and where it writes on POSIX systems: metadata,
// hard links, long names, links and the protected-links rule, the process's
// own descriptors, the in-place fallback with its lock and its limits; and
// a byte-order mark read from a pipe that brings a byte at a time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"

#include "base/line_reader.h"

namespace {

// Replaces the file at path by the one line "new" and tells how it went.
int replace(const std::string& path, Text* reason = nullptr) {
  FileHandle file = createReplacement(textFromNativePath(path), reason);
  if (file == nullptr) return -1;
  writeLine(file, u"new");
  const Status written = finishWriting(file);
  if (!written.ok() && reason != nullptr) *reason = written.reason();
  return written.ok() ? 1 : 0;
}

struct stat statOf(const std::string& path) {
  struct stat info = {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::string xattrOf(const std::string& path, const char* name) {
  char value[256];
  const ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
  return size < 0 ? std::string("<none>") : std::string(value, size);
}

// The mark and every unit and pair of a UTF-16 description arrive a byte
// per read: each is put together across the reads.
TEST(ByteOrderMarkTest, Utf16FromAPipeAByteAtATime) {
  const std::string bytes(
      "\xFF\xFE"
      "a\0\r\0\n\0\x3D\xD8\x00\xDE"
      "b\0\n\0c\0",
      18);
  for (const std::string& sent : {bytes, std::string("\xEF\xBB\xBF"
                                                     "a\r\n"
                                                     "\xF0\x9F\x98\x80"
                                                     "b\nc")}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&sent, in = ends[1]] {
      for (char byte : sent) {
        EXPECT_EQ(write(in, &byte, 1), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      close(in);
    });
    const std::string path = "/dev/fd/" + std::to_string(ends[0]);
    FileHandle file = openForReading(textFromNativePath(path));
    ASSERT_NE(file, nullptr);
    std::string bytes;
    readBytes(file, bytes, SIZE_MAX);
    closeFile(file);
    LineReader reader(bytes);
    reader.takeByteOrderMark();
    std::vector<Text> lines;
    while (!reader.atEnd()) lines.push_back(reader.readLine());
    writer.join();
    close(ends[0]);
    EXPECT_EQ(lines, (std::vector<Text>{u"a", u"\U0001F600b", u"c"}));
  }
}

TEST(ReplacementTest, KeepsModeOwnerGroupAndExtendedAttributes) {
  TempFolder folder;
  const std::string path = folder.file("chart.svg");
  writeBytes(path, "old");
  // setgid and sticky are kept too (setuid needs the file's owner's right to
  // set it, which every user has on a file of their own).
  ASSERT_EQ(chmod(path.c_str(), 07640), 0);
  ASSERT_EQ(setxattr(path.c_str(), "user.origin", "hand-made", 9, 0), 0);
  const struct stat before = statOf(path);
  ASSERT_EQ(replace(path), 1);
  const struct stat after = statOf(path);
  EXPECT_EQ(readBytes(path), "new\r\n");
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file took its place
  EXPECT_EQ(after.st_mode & 07777, 07640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(xattrOf(path, "user.origin"), "hand-made");
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"chart.svg"});
}

// A new file gets the mode any new file gets under the process's umask.
TEST(ReplacementTest, NewFileGetsTheModeOfANewFile) {
  const struct {
    mode_t mask;
    mode_t mode;
  } cases[] = {{022, 0644}, {027, 0640}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "umask " << std::oct << c.mask);
    TempFolder folder;
    const mode_t saved = umask(c.mask);
    const int ok = replace(folder.file("fresh.svg"));
    umask(saved);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(statOf(folder.file("fresh.svg")).st_mode & 07777, c.mode);
  }
}

// A file with several names is written in place, so that every name shows
// the new content, as "> path" would.
TEST(ReplacementTest, HardLinkedFileIsWrittenInPlace) {
  TempFolder folder;
  writeBytes(folder.file("a.svg"), "old content that is longer");
  ASSERT_EQ(link(folder.file("a.svg").c_str(), folder.file("b.svg").c_str()),
            0);
  const ino_t inode = statOf(folder.file("a.svg")).st_ino;
  ASSERT_EQ(replace(folder.file("a.svg")), 1);
  EXPECT_EQ(readBytes(folder.file("a.svg")), "new\r\n");
  EXPECT_EQ(readBytes(folder.file("b.svg")), "new\r\n");
  EXPECT_EQ(statOf(folder.file("a.svg")).st_ino, inode);
  EXPECT_EQ(folderEntries(folder.path()),
            (std::vector<std::string>{"a.svg", "b.svg"}));
}

// Names of 248 to 255 bytes leave no room for a temporary name made by
// adding to them; the temporary name is shortened instead.
TEST(ReplacementTest, LongestNamesAreReplacedAndCreated) {
  TempFolder folder;
  for (size_t length : {247u, 248u, 251u, 255u}) {
    const std::string name = std::string(length - 4, 'n') + ".svg";
    writeBytes(folder.file(name), "old");
    Text reason;
    EXPECT_EQ(replace(folder.file(name), &reason), 1) << length;
    EXPECT_EQ(readBytes(folder.file(name)), "new\r\n") << length;
    std::remove(folder.file(name).c_str());
    EXPECT_EQ(replace(folder.file(name), &reason), 1) << length;
    std::remove(folder.file(name).c_str());
  }
  EXPECT_TRUE(folderEntries(folder.path()).empty());
}

TEST(ReplacementTest, LinksAreFollowedDanglingOnesMakeTheirTarget) {
  TempFolder folder;
  writeBytes(folder.file("real.svg"), "old");
  ASSERT_EQ(symlink("real.svg", folder.file("link.svg").c_str()), 0);
  ASSERT_EQ(symlink("sub/made.svg", folder.file("dangling.svg").c_str()), 0);
  ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
  ASSERT_EQ(replace(folder.file("link.svg")), 1);
  EXPECT_EQ(readBytes(folder.file("real.svg")), "new\r\n");
  EXPECT_TRUE(S_ISLNK(statOf(folder.file("link.svg")).st_mode));
  ASSERT_EQ(replace(folder.file("dangling.svg")), 1);
  EXPECT_EQ(readBytes(folder.file("sub/made.svg")), "new\r\n");
  EXPECT_TRUE(S_ISLNK(statOf(folder.file("dangling.svg")).st_mode));
}

TEST(ReplacementTest, RefusalsCarryTheirReason) {
  TempFolder folder;
  ASSERT_EQ(symlink("loop.svg", folder.file("loop.svg").c_str()), 0);
  writeBytes(folder.file("plain"), "x");
  const struct {
    std::string path;
    const char16_t* reason;
  } cases[] = {
      {folder.file("missing/chart.svg"), u"No such file or directory"},
      {folder.path(), u"Is a directory"},
      {folder.file("chart.svg/"), u"Is a directory"},
      {folder.file("loop.svg"), u"Too many levels of symbolic links"},
      {folder.file("plain/chart.svg"), u"Not a directory"},
  };
  for (const auto& c : cases) {
    Text reason;
    EXPECT_EQ(createReplacement(textFromNativePath(c.path), &reason), nullptr)
        << c.path;
    EXPECT_EQ(reason, c.reason) << c.path;
  }
}

// In a sticky folder that everybody may write (/tmp, say), a link is
// followed only when it belongs to the user or to the folder's owner, as the
// kernel's protected-links rule has it: a link another user planted there
// must not make us overwrite what it points to.
TEST(ReplacementTest, ProtectedLinksRuleHoldsWhateverTheSystemSetting) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a link another owner needs root";
  TempFolder folder;
  const std::string shared = folder.file("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  writeBytes(folder.file("secret"), "secret");
  const std::string planted = shared + "/chart.svg";
  const std::string own = shared + "/own.svg";
  ASSERT_EQ(symlink(folder.file("secret").c_str(), planted.c_str()), 0);
  ASSERT_EQ(symlink(folder.file("mine.svg").c_str(), own.c_str()), 0);
  ASSERT_EQ(lchown(planted.c_str(), 4242, 4242), 0);  // another user's

  Text reason;
  EXPECT_EQ(replace(planted, &reason), -1);
  EXPECT_EQ(reason, u"it is a link another user placed in a shared folder; "
                    u"not followed");
  EXPECT_EQ(readBytes(folder.file("secret")), "secret");
  // Our own link in the same folder, and another user's link in a folder
  // that is not shared, are followed.
  EXPECT_EQ(replace(own), 1);
  EXPECT_EQ(readBytes(folder.file("mine.svg")), "new\r\n");
  ASSERT_EQ(chmod(shared.c_str(), 0755), 0);
  EXPECT_EQ(replace(planted), 1);
  EXPECT_EQ(readBytes(folder.file("secret")), "new\r\n");
}

// A link on the way to the file is held to the same rule as one at its end,
// and a path with "." and ".." in it is followed as written.
TEST(ReplacementTest, LinksOnTheWayAreCheckedToo) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a link another owner needs root";
  TempFolder folder;
  const std::string shared = folder.file("shared");
  const std::string elsewhere = folder.file("elsewhere");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  ASSERT_EQ(symlink(elsewhere.c_str(), (shared + "/dir").c_str()), 0);
  ASSERT_EQ(lchown((shared + "/dir").c_str(), 4242, 4242), 0);
  Text reason;
  EXPECT_EQ(replace(shared + "/dir/chart.svg", &reason), -1);
  EXPECT_EQ(reason,
            u"it is a link another user placed in a shared folder; "
            u"not followed");
  EXPECT_TRUE(folderEntries(elsewhere).empty());
  EXPECT_EQ(replace(folder.path() + "/./elsewhere/../elsewhere/x.svg"), 1);
  EXPECT_EQ(folderEntries(elsewhere), std::vector<std::string>{"x.svg"});
}

// /dev/fd/N and the like name a descriptor this process holds: it is
// written as it is (appended to, here), never opened anew, cut or renamed.
TEST(ReplacementTest, OwnDescriptorPathsAreWrittenAsTheyAre) {
  TempFolder folder;
  const std::string log = folder.file("app.log");
  writeBytes(log, "earlier line\n");
  const ino_t inode = statOf(log).st_ino;
  for (const char* form : {"/dev/fd/", "/proc/self/fd/"}) {
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    Text reason;
    EXPECT_EQ(replace(form + std::to_string(fd), &reason), 1) << form;
    EXPECT_EQ(fcntl(fd, F_GETFD), 0) << "the descriptor stays open";
    close(fd);
  }
  EXPECT_EQ(readBytes(log), "earlier line\nnew\r\nnew\r\n");
  EXPECT_EQ(statOf(log).st_ino, inode);
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"app.log"});
  Text reason;
  EXPECT_EQ(replace("/dev/fd/987", &reason), -1);
  EXPECT_EQ(reason, u"Bad file descriptor");
}

// The in-place route locks the file; another holder of the lock is waited
// for up to 5 seconds.
TEST(ReplacementTest, InPlaceWaitsForTheLockThenGivesUp) {
  TempFolder folder;
  const std::string path = folder.file("a.svg");
  writeBytes(path, "old");
  ASSERT_EQ(link(path.c_str(), folder.file("b.svg").c_str()), 0);
  const int holder = open(path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  Text reason;
  EXPECT_EQ(replace(path, &reason), -1);
  EXPECT_EQ(reason, u"locked by another program");
  EXPECT_EQ(readBytes(path), "old");
  std::thread release([holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    close(holder);
  });
  EXPECT_EQ(replace(path), 1);
  release.join();
  EXPECT_EQ(readBytes(folder.file("b.svg")), "new\r\n");
}

// A content that cannot fit (the file-size limit) fails before the old
// content is touched.
TEST(ReplacementTest, InPlaceFailureLeavesTheOldContentWhole) {
  guardTemporaryFiles();  // as every program does: SIGXFSZ is an error
  TempFolder folder;
  const std::string path = folder.file("a.svg");
  const std::string old(1000, 'o');
  writeBytes(path, old);
  ASSERT_EQ(link(path.c_str(), folder.file("b.svg").c_str()), 0);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  FileHandle file = createReplacement(textFromNativePath(path));
  ASSERT_NE(file, nullptr);
  for (int i = 0; i < 100; ++i) writeLine(file, Text(100, u'z'));
  const Status result = finishWriting(file);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.reason(), u"File too large");
  EXPECT_EQ(readBytes(path), old);
}

// Writers of one target at once each replace it whole; none fails, and the
// last rename decides what stays.
TEST(ReplacementTest, ConcurrentWritersEachSucceedAndTheLastWins) {
  TempFolder folder;
  const std::string path = folder.file("chart.svg");
  std::vector<std::thread> writers;
  std::vector<int> results(6, -2);
  for (int k = 0; k < 6; ++k) {
    writers.emplace_back([&, k] {
      FileHandle file = createReplacement(textFromNativePath(path));
      if (file == nullptr) return;
      for (int line = 0; line < 2000; ++line) {
        writeLine(file, Text(60, static_cast<char16_t>(u'a' + k)));
      }
      results[k] = finishWriting(file).ok() ? 1 : 0;
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(results, std::vector<int>(6, 1));
  const std::string content = readBytes(path);
  ASSERT_EQ(content.size(), 2000u * 62);
  // One writer's lines, whole, and nothing of another's.
  for (size_t at = 0; at < content.size(); at += 62) {
    ASSERT_EQ(content.compare(at, 60, std::string(60, content[0])), 0);
  }
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"chart.svg"});
}

// A new file has no name until it is complete (an unnamed file given its
// name at the end), so even a program killed outright while writing one,
// which no handler can clean up after, leaves nothing behind.
TEST(ReplacementTest, NewFileHasNoNameUntilComplete) {
  TempFolder folder;
  const int probe =
      open(folder.path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (probe < 0) GTEST_SKIP() << "no unnamed files on this file system";
  close(probe);
  FileHandle file = createReplacement(folder.text("new.svg"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"new");
  EXPECT_TRUE(folderEntries(folder.path()).empty());
  EXPECT_TRUE(finishWriting(file).ok());
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"new.svg"});
  EXPECT_EQ(readBytes(folder.file("new.svg")), "new\r\n");

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileHandle killed = createReplacement(folder.text("killed.svg"));
    if (killed == nullptr) _exit(10);
    for (int line = 0; line < 20000; ++line) writeLine(killed, u"partial");
    raise(SIGKILL);
    _exit(11);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"new.svg"});
}

// Replacements of a batch wait, complete, beside their targets until the
// commit renames them all; new files go in place at once.
TEST(BatchReplacementTest, BatchReplacementsTakeTheirPlaceAtTheCommit) {
  TempFolder folder;
  writeBytes(folder.file("a.svg"), "old a");
  writeBytes(folder.file("b.svg"), "old b");
  chmod(folder.file("b.svg").c_str(), 0600);
  std::vector<PendingReplacement*> pending;
  for (const char* name : {"a.svg", "b.svg", "c.svg"}) {
    FileHandle file = createReplacement(folder.text(name));
    ASSERT_NE(file, nullptr);
    writeLine(file, Text(u"new ") + Text(1, char16_t(name[0])));
    PendingReplacement* waiting = nullptr;
    ASSERT_TRUE(finishWritingLater(file, &waiting).ok());
    if (waiting != nullptr) pending.push_back(waiting);
  }
  ASSERT_EQ(pending.size(), 2u);  // the new c.svg did not wait
  EXPECT_EQ(readBytes(folder.file("a.svg")), "old a");
  EXPECT_EQ(readBytes(folder.file("b.svg")), "old b");
  EXPECT_EQ(readBytes(folder.file("c.svg")), "new c\r\n");
  EXPECT_EQ(folderEntries(folder.path()).size(), 5u);  // two temporary files beside them
  const std::vector<Status> done = commitReplacements(pending);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_TRUE(done[0].ok());
  EXPECT_TRUE(done[1].ok());
  EXPECT_EQ(readBytes(folder.file("a.svg")), "new a\r\n");
  EXPECT_EQ(readBytes(folder.file("b.svg")), "new b\r\n");
  struct stat info;
  ASSERT_EQ(stat(folder.file("b.svg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  std::vector<std::string> names = folderEntries(folder.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.svg", "b.svg", "c.svg"}));
}

// A target that turned into a folder while its replacement waited: that
// one fails with the reason and leaves nothing behind; the others go in.
TEST(BatchReplacementTest, CommitReportsEachFailure) {
  TempFolder folder;
  writeBytes(folder.file("a.svg"), "old a");
  writeBytes(folder.file("b.svg"), "old b");
  std::vector<PendingReplacement*> pending(2);
  for (int k = 0; k < 2; ++k) {
    FileHandle file = createReplacement(folder.text(k == 0 ? "a.svg" : "b.svg"));
    ASSERT_NE(file, nullptr);
    writeLine(file, u"new");
    ASSERT_TRUE(finishWritingLater(file, &pending[k]).ok());
    ASSERT_NE(pending[k], nullptr);
  }
  ASSERT_EQ(unlink(folder.file("a.svg").c_str()), 0);
  ASSERT_EQ(mkdir(folder.file("a.svg").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder.file("a.svg/inside").c_str(), 0755), 0);
  const std::vector<Status> done = commitReplacements(pending);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_FALSE(done[0].ok());
  EXPECT_TRUE(done[1].ok());
  EXPECT_EQ(done[0].reason(), u"Is a directory");
  EXPECT_EQ(readBytes(folder.file("b.svg")), "new\r\n");
  std::vector<std::string> names = folderEntries(folder.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.svg", "b.svg"}));
}

// Many replacements may wait at once, each remembered as a temporary file:
// an interruption while they wait removes every one of them. The child
// process is interrupted for real by SIGINT, with the program's handlers.
TEST(BatchReplacementTest, InterruptedBatchLeavesNoTemporaryFile) {
  TempFolder folder;
  constexpr int kFiles = 150;  // more than one block of remembered files
  for (int k = 0; k < kFiles; ++k) writeBytes(folder.file(std::to_string(k) + ".svg"), "old");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    guardTemporaryFiles();
    std::vector<PendingReplacement*> pending;
    for (int k = 0; k < kFiles; ++k) {
      FileHandle file = createReplacement(folder.text(std::to_string(k) + ".svg"));
      if (file == nullptr) _exit(10);
      writeLine(file, u"new");
      PendingReplacement* waiting = nullptr;
      if (!finishWritingLater(file, &waiting).ok() || waiting == nullptr) {
        _exit(11);
      }
      pending.push_back(waiting);
    }
    raise(SIGINT);
    _exit(12);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(folderEntries(folder.path()).size(), static_cast<size_t>(kFiles));
  for (int k = 0; k < kFiles; ++k) {
    EXPECT_EQ(readBytes(folder.file(std::to_string(k) + ".svg")), "old");
  }
}

}  // namespace
