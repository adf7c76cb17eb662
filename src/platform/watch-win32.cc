// Watching description folders on Windows: ReadDirectoryChangesW on each
// folder, one overlapped request at a time, each with an event of its own,
// all waited for at once together with the watch's stop event.
//
// A description counts as changed when a file of its name is created,
// written or renamed into its folder (names compared as Windows compares
// them, without regard to case). Writes come in several notifications, so
// after the first change the wait goes on until the folders have been quiet
// for a moment (kSettleMs): a save then gives one conversion of the whole
// file.
//
// A folder is gone when its request fails (the folder was removed) or when
// its path no longer leads to the folder that was opened (removed and made
// again, or renamed away): that is checked once a second, and a gone folder
// is looked for once a second until it is back, as on Linux.
//
// Ctrl+C and Ctrl+Break reach the program through the console control
// handler, on a thread of the system's: while a watch that takes them waits,
// the handler stops the wait (Stopped, with SIGINT) and answers that the
// event is handled; at any other moment (a conversion) it passes the event
// on to the handler of temporary_files.h, which removes the temporary file
// and ends the program. Closing the console, logging off and shutting down
// are always passed on: the system ends the program as soon as the handlers
// have answered, and during a wait there is no temporary file to remove.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "base/wording.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/watch.h"

namespace {

// What is asked of each folder: names made, removed or renamed there, and
// files written.
constexpr DWORD kNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME |
                                FILE_NOTIFY_CHANGE_LAST_WRITE |
                                FILE_NOTIFY_CHANGE_SIZE;
// How often gone folders are looked for and present ones checked.
constexpr DWORD kLookAgainMs = 1000;
// After a change, how long the folders must be quiet before it is taken.
constexpr DWORD kSettleMs = 15;
// WaitForMultipleObjects waits for at most this many handles: the folders'
// events and the stop event.
constexpr size_t kMostFolders = MAXIMUM_WAIT_OBJECTS - 1;
// The value of SIGINT, which the C library of mingw-w64 defines as POSIX
// does; the exit status is then 128 + 2, as after Ctrl+C on Linux.
constexpr int kInterrupt = 2;

// One watched folder: its path, its handle and request while it is there.
struct Folder {
  std::wstring path;
  HANDLE handle = INVALID_HANDLE_VALUE;  // INVALID_HANDLE_VALUE while gone
  BY_HANDLE_FILE_INFORMATION identity = {};
  OVERLAPPED request = {};
  HANDLE done = nullptr;  // the request's event, kept while the watch lives
  alignas(DWORD) char buffer[32 * 1024];
};

// One name watched in one folder, for the file it stands for.
struct WatchedName {
  size_t folder;
  std::wstring name;
  size_t file;
};

// Whether two names are the same name to Windows.
bool sameName(const wchar_t* a, int aLength, const std::wstring& b) {
  return CompareStringOrdinal(a, aLength, b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

bool sameFolder(const BY_HANDLE_FILE_INFORMATION& a,
                const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

struct DescriptionWatch {
  size_t files = 0;
  std::vector<Folder*> folders;
  std::vector<WatchedName> names;
  // Set by interruptWatch and by the console handler.
  HANDLE stop = nullptr;
  bool takesSignals = false;
  // kIdle outside waitForChanges, kWaiting inside, kStopping once the
  // console handler stopped it; the signal it stopped for.
  std::atomic<int> state{0};
  std::atomic<int> signal{0};
  std::atomic<bool> interrupted{false};
};

namespace {

enum : int { kIdle = 0, kWaiting = 1, kStopping = 2 };

// The watch that takes the console's events, if one does.
std::atomic<DescriptionWatch*> consoleWatch{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  DescriptionWatch* watch = consoleWatch.load();
  if (watch == nullptr) return FALSE;
  int waiting = kWaiting;
  // Not waiting: a conversion runs, and temporary_files.h's handler next
  // in line removes its temporary file as it ends the program.
  if (!watch->state.compare_exchange_strong(waiting, kStopping)) return FALSE;
  watch->signal.store(kInterrupt);
  SetEvent(watch->stop);
  return TRUE;
}

// Asks for the next changes in the folder; false when the folder is gone.
bool requestChanges(Folder& folder) {
  ResetEvent(folder.done);
  folder.request = {};
  folder.request.hEvent = folder.done;
  return ReadDirectoryChangesW(folder.handle, folder.buffer,
                               sizeof folder.buffer, FALSE, kNotifyFilter,
                               nullptr, &folder.request, nullptr) != 0;
}

void closeFolder(Folder& folder) {
  if (folder.handle == INVALID_HANDLE_VALUE) return;
  CancelIoEx(folder.handle, &folder.request);
  DWORD ignored = 0;
  // The request must be over before its buffer may be reused.
  GetOverlappedResult(folder.handle, &folder.request, &ignored, TRUE);
  CloseHandle(folder.handle);
  folder.handle = INVALID_HANDLE_VALUE;
}

// Opens the folder and asks for its changes; false with GetLastError's code
// set when it cannot be watched.
bool openFolder(Folder& folder) {
  folder.handle = CreateFileW(
      folder.path.c_str(), FILE_LIST_DIRECTORY,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
      nullptr);
  if (folder.handle == INVALID_HANDLE_VALUE) return false;
  if (!GetFileInformationByHandle(folder.handle, &folder.identity) ||
      !requestChanges(folder)) {
    const DWORD code = GetLastError();
    CloseHandle(folder.handle);
    folder.handle = INVALID_HANDLE_VALUE;
    SetLastError(code);
    return false;
  }
  return true;
}

// Whether the folder's path still leads to the folder that was opened.
bool stillThere(const Folder& folder) {
  HANDLE now = CreateFileW(
      folder.path.c_str(), 0,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (now == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION identity = {};
  const bool same = GetFileInformationByHandle(now, &identity) &&
                    (identity.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    sameFolder(identity, folder.identity);
  CloseHandle(now);
  return same;
}

void markFiles(const DescriptionWatch& watch, size_t folder,
               std::vector<char>& changed) {
  for (const WatchedName& watched : watch.names) {
    if (watched.folder == folder) changed[watched.file] = 1;
  }
}

// Forgets a folder that is gone; its files count as changed, so that a
// conversion says they are missing.
void folderGone(DescriptionWatch& watch, size_t k, std::vector<char>& changed) {
  closeFolder(*watch.folders[k]);
  markFiles(watch, k, changed);
}

// Checks the folders that are there and looks for those that are gone; a
// folder found again counts all its files as changed, since they may have
// been saved before it was watched again. True when anything changed.
bool checkFolders(DescriptionWatch& watch, std::vector<char>& changed) {
  bool any = false;
  for (size_t k = 0; k < watch.folders.size(); ++k) {
    Folder& folder = *watch.folders[k];
    if (folder.handle != INVALID_HANDLE_VALUE) {
      if (stillThere(folder)) continue;
      folderGone(watch, k, changed);
      any = true;
    }
    if (openFolder(folder)) {
      markFiles(watch, k, changed);
      any = true;
    }
  }
  return any;
}

// Takes the notifications of a finished request and asks for the next ones.
// True when one of the watched names changed.
bool takeChanges(DescriptionWatch& watch, size_t k,
                 std::vector<char>& changed) {
  Folder& folder = *watch.folders[k];
  DWORD size = 0;
  if (!GetOverlappedResult(folder.handle, &folder.request, &size, FALSE)) {
    // The folder was removed, or its volume went away.
    folderGone(watch, k, changed);
    return true;
  }
  bool any = false;
  if (size == 0) {
    // Too many changes for the buffer: every file here may have changed.
    markFiles(watch, k, changed);
    any = true;
  }
  for (DWORD at = 0; size > 0;) {
    const auto* info =
        reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(folder.buffer + at);
    const bool counts = info->Action == FILE_ACTION_ADDED ||
                        info->Action == FILE_ACTION_MODIFIED ||
                        info->Action == FILE_ACTION_RENAMED_NEW_NAME;
    const int length = static_cast<int>(info->FileNameLength / sizeof(wchar_t));
    for (const WatchedName& watched : watch.names) {
      if (counts && watched.folder == k &&
          sameName(info->FileName, length, watched.name)) {
        changed[watched.file] = 1;
        any = true;
      }
    }
    if (info->NextEntryOffset == 0) break;
    at += info->NextEntryOffset;
  }
  if (!requestChanges(folder)) {
    folderGone(watch, k, changed);
    any = true;
  }
  return any;
}

void clearOut(Text* folder, Text* reason) {
  if (folder != nullptr) folder->clear();
  if (reason != nullptr) reason->clear();
}

}  // namespace


DescriptionWatch* startWatch(const std::vector<Text>& files, Text* folder,
                             Text* reason, WatchSignals signals) {
  clearOut(folder, reason);
  auto* watch = new (std::nothrow) DescriptionWatch;
  if (watch == nullptr) {
    if (reason != nullptr) *reason = outOfMemoryReason();
    return nullptr;
  }
  watch->files = files.size();
  watch->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (watch->stop == nullptr) {
    if (reason != nullptr) *reason = systemErrorText(GetLastError());
    endWatch(watch);
    return nullptr;
  }
  for (size_t k = 0; k < files.size(); ++k) {
    const std::wstring path = nativePath(files[k]);
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring where = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    // "C:" alone is the drive's current folder; its root is meant.
    if (!where.empty() && where.back() == L':') where += L'\\';
    const std::wstring name =
        slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t at = 0;
    while (at < watch->folders.size() &&
           CompareStringOrdinal(watch->folders[at]->path.c_str(), -1,
                                where.c_str(), -1, TRUE) != CSTR_EQUAL) {
      ++at;
    }
    if (at == watch->folders.size()) {
      if (at == kMostFolders) {
        if (folder != nullptr) *folder = textFromNativePath(where);
        if (reason != nullptr) *reason = Text(wording::TooManyWatchedFolders);
        endWatch(watch);
        return nullptr;
      }
      auto* fresh = new (std::nothrow) Folder;
      HANDLE done = fresh == nullptr
                        ? nullptr
                        : CreateEventW(nullptr, TRUE, FALSE, nullptr);
      if (done == nullptr) {
        delete fresh;
        if (reason != nullptr) *reason = outOfMemoryReason();
        endWatch(watch);
        return nullptr;
      }
      fresh->path = where;
      fresh->done = done;
      watch->folders.push_back(fresh);
      if (!openFolder(*fresh)) {
        if (folder != nullptr) *folder = textFromNativePath(where);
        if (reason != nullptr) *reason = systemErrorText(GetLastError());
        endWatch(watch);
        return nullptr;
      }
    }
    watch->names.push_back({at, name, k});
  }
  if (signals == WatchSignals::Taken) {
    DescriptionWatch* none = nullptr;
    // One watch at a time takes the console's events (the command line
    // has one); installed after temporary_files.h's handler, so asked first.
    if (consoleWatch.compare_exchange_strong(none, watch)) {
      watch->takesSignals = true;
      SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
  }
  return watch;
}

WatchResult waitForChanges(DescriptionWatch* watch, std::vector<char>* changed,
                           int* signal, Text* reason) {
  changed->assign(watch->files, 0);
  watch->state.store(kWaiting);
  bool any = false;
  ULONGLONG lastCheck = GetTickCount64();
  std::vector<HANDLE> waitFor;
  std::vector<size_t> folderOf;
  for (;;) {
    if (watch->interrupted.load()) break;
    waitFor.assign(1, watch->stop);
    folderOf.assign(1, 0);
    for (size_t k = 0; k < watch->folders.size(); ++k) {
      if (watch->folders[k]->handle == INVALID_HANDLE_VALUE) continue;
      waitFor.push_back(watch->folders[k]->done);
      folderOf.push_back(k);
    }
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG sinceCheck = now - lastCheck;
    const DWORD untilCheck =
        sinceCheck >= kLookAgainMs ? 0
                                   : static_cast<DWORD>(kLookAgainMs - sinceCheck);
    const DWORD got = WaitForMultipleObjects(
        static_cast<DWORD>(waitFor.size()), waitFor.data(), FALSE,
        any ? kSettleMs : untilCheck);
    if (got == WAIT_OBJECT_0) break;  // stopped
    if (got == WAIT_TIMEOUT) {
      if (any) {
        int expected = kWaiting;
        if (watch->state.compare_exchange_strong(expected, kIdle)) {
          return WatchResult::Changed;
        }
        break;  // the console handler stopped it meanwhile
      }
      lastCheck = GetTickCount64();
      any = checkFolders(*watch, *changed);
      continue;
    }
    if (got > WAIT_OBJECT_0 && got < WAIT_OBJECT_0 + waitFor.size()) {
      any = takeChanges(*watch, folderOf[got - WAIT_OBJECT_0], *changed) || any;
      continue;
    }
    if (reason != nullptr) *reason = systemErrorText(GetLastError());
    watch->state.store(kIdle);
    return WatchResult::Failed;
  }
  // Stopped: by the console handler (its signal) or by interruptWatch (0).
  *signal = watch->signal.load();
  watch->state.store(kIdle);
  return WatchResult::Stopped;
}

void interruptWatch(DescriptionWatch* watch) {
  watch->interrupted.store(true);
  SetEvent(watch->stop);
}

void endWatch(DescriptionWatch* watch) {
  if (watch->takesSignals) {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    consoleWatch.store(nullptr);
  }
  for (Folder* folder : watch->folders) {
    closeFolder(*folder);
    if (folder->done != nullptr) CloseHandle(folder->done);
    delete folder;
  }
  if (watch->stop != nullptr) CloseHandle(watch->stop);
  delete watch;
}

void endAsSignalled(int signal) { std::_Exit(128 + signal); }
