// Text files on Windows, on the Win32 API directly: CreateFileW, ReadFile
// and WriteFile move the bytes as they are (the C runtime's text mode would
// turn "\r\n" into "\r\r\n" and stop reading at a Ctrl+Z byte).
//
// Sharing: a reader shares the file with everybody, so that it never locks
// anybody out; a writer shares it with nobody (a temporary file only with
// deletion, so that an interrupted program can remove it).
//
// A replacement goes one of these ways (see createReplacement in
// text_file.h):
// - Standard: standard output; written as it is.
// - Device: a path in the \\.\ namespace (NUL, CON, a named pipe); opened
//   and written as it is.
// - NewFile: nothing there yet; a temporary file in the target's folder,
//   flushed and moved into place with MoveFileExW.
// - Replace: an existing file; a temporary file in its folder, flushed and
//   swapped in with ReplaceFileW, which gives it the old file's attributes,
//   ACL and alternate streams. A swap refused because another program has
//   the file open is tried again for up to 1 second.
// - InPlace: an existing file in a folder where no temporary file can be
//   created; the whole content collected, then written over the file while
//   nobody else may open it.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/handle_writes-win32.h"
#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"
#include "base/utf8.h"
#include "base/wording.h"

enum class Route { Standard, Device, NewFile, Replace, InPlace };

struct Replacement {
  Route route = Route::NewFile;
  bool console = false;    // Standard: standard output is a console
  std::wstring temporary;  // NewFile, Replace: the temporary file's path
  std::wstring target;     // the file that is written or replaced
  DWORD attributes = 0;    // Replace: the old file's attributes
  int32_t slot = -1;       // the temporary file's slot in temporary_files.h
};

TextFile::TextFile() = default;
TextFile::~TextFile() = default;

namespace {

HANDLE handleOf(const TextFile& file) {
  return reinterpret_cast<HANDLE>(file.native);
}

FileHandle adopt(HANDLE handle, bool writing, bool owns) {
  return adoptNative(reinterpret_cast<intptr_t>(handle), writing, owns);
}

FileHandle adoptReplacement(HANDLE handle, bool owns, Route route) {
  FileHandle file = adopt(handle, true, owns);
  file->replacement = std::make_unique<Replacement>();
  file->replacement->route = route;
  return file;
}

bool isConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

// A sharing conflict with another program that holds the file open: worth
// waiting for.
bool isSharingConflict(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// --- Temporary files beside the target -----------------------------------

// Creates "." + name + "." and six random letters in the target's folder,
// the name shortened so that it stays within 255 units. It is created as
// any new file in that folder is, so it takes the folder's inherited ACL,
// and remembered in *slot (temporary_files.h). INVALID_HANDLE_VALUE with
// GetLastError on failure; a file that cannot be remembered is deleted
// again (ERROR_NOT_ENOUGH_MEMORY).
HANDLE createTemporary(const std::wstring& target, std::wstring& temporary,
                       int32_t* slot) {
  constexpr size_t kNameMax = 255;
  constexpr size_t kExtra = 8;  // "." before, "." and six letters after
  constexpr wchar_t kLetters[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  const size_t slash = target.rfind(L'\\');
  const std::wstring folder =
      slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  std::wstring name =
      slash == std::wstring::npos ? target : target.substr(slash + 1);
  if (name.size() + kExtra > kNameMax) name.resize(kNameMax - kExtra);
  for (int attempt = 0; attempt < 100; ++attempt) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    uint64_t bits = (static_cast<uint64_t>(now.QuadPart) << 20) ^
                    (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                    (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
    std::wstring candidate = folder + L"." + name + L".";
    for (int k = 0; k < 6; ++k) {
      candidate.push_back(kLetters[bits % 62]);
      bits /= 62;
    }
    // The temporary name is longer than the target's: it may need the
    // long-path form where the target did not.
    temporary = nativePath(textFromNativePath(candidate));
    // Created and remembered with no moment between for Ctrl+C
    // (temporary_files.h).
    const TemporaryFileWindow window;
    const HANDLE handle =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return handle;
    }
    *slot = rememberTemporaryFile(temporary.c_str());
    if (*slot >= 0) return handle;
    CloseHandle(handle);
    DeleteFileW(temporary.c_str());
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  return INVALID_HANDLE_VALUE;
}

// The file a symbolic link or junction at path finally leads to, so that
// the file is replaced and the link stays a link. The path itself when it
// is no link or cannot be followed.
std::wstring followLinks(const std::wstring& path) {
  const HANDLE handle = CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD got;
  for (;;) {
    got = GetFinalPathNameByHandleW(handle, final.data(),
                                    static_cast<DWORD>(final.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (got < final.size()) break;
    final.resize(got);
  }
  CloseHandle(handle);
  if (got == 0) return path;
  final.resize(got);
  return final;
}

// Opens the existing target for writing with nobody else sharing it,
// waiting up to 5 seconds for other programs to let go of it.
HANDLE openExclusively(const std::wstring& target, DWORD& error) {
  for (int waited = 0;; waited += 50) {
    const HANDLE handle =
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    error = GetLastError();
    if (!isSharingConflict(error) || waited >= 5000) {
      return INVALID_HANDLE_VALUE;
    }
    Sleep(50);
  }
}

FileHandle startInPlace(const std::wstring& target, Text* reason) {
  DWORD error = 0;
  const HANDLE handle = openExclusively(target, error);
  if (handle == INVALID_HANDLE_VALUE) {
    setReason(reason, isSharingConflict(error) ? Text(wording::LockedReason)
                                               : systemErrorText(error));
    return nullptr;
  }
  FileHandle file = adoptReplacement(handle, true, Route::InPlace);
  file->collecting = true;
  file->replacement->target = target;
  return file;
}

// Writes the collected content over the file: first makes room for it (a
// full disk fails here, leaving the old content whole), then writes it,
// cuts what is left of the old content and flushes.
bool writeInPlace(TextFile& file) {
  const HANDLE handle = handleOf(file);
  const std::string& content = file.collected;
  LARGE_INTEGER size;
  size.QuadPart = static_cast<LONGLONG>(content.size());
  LARGE_INTEGER old;
  LARGE_INTEGER start = {};
  DWORD error = 0;
  if (!GetFileSizeEx(handle, &old) ||
      (size.QuadPart > old.QuadPart &&
       (!SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(handle))) ||
      !SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) ||
      !writeAll(handle, content.data(), content.size(), error) ||
      !SetEndOfFile(handle) || !FlushFileBuffers(handle)) {
    noteFailure(file, systemErrorText(error != 0 ? error : GetLastError()));
    return false;
  }
  return true;
}

// Gives the file that replaced another the old one's attributes (hidden,
// system, archive, not indexed). ReplaceFileW does so on Windows; Wine's
// does not. The content is in place either way, so a failure here is not
// one of the writing.
void keepAttributes(const Replacement& r) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  constexpr DWORD kSettable = kKept | FILE_ATTRIBUTE_READONLY |
                              FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
  const DWORD now = GetFileAttributesW(r.target.c_str());
  if (now == INVALID_FILE_ATTRIBUTES ||
      (now & kKept) == (r.attributes & kKept)) {
    return;
  }
  const DWORD wanted = (now & kSettable & ~kKept) | (r.attributes & kKept);
  SetFileAttributesW(r.target.c_str(),
                     wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
}

// Puts the complete temporary file in the target's place. A swap that
// another program's open handle blocks is tried again for up to 1 second.
bool swapIn(TextFile& file) {
  const Replacement& r = *file.replacement;
  DWORD error = 0;
  for (int waited = 0;; waited += 50) {
    bool done;
    if (r.route == Route::Replace) {
      // Whether the old file may be deleted is asked first: a program that
      // holds it open without sharing deletion blocks the swap, and a
      // failed ReplaceFileW may leave work of its own behind (Wine's leaves
      // a temporary file in the folder).
      const HANDLE probe = CreateFileW(
          r.target.c_str(), DELETE,
          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      if (probe == INVALID_HANDLE_VALUE) {
        done = false;
        error = GetLastError();
      } else {
        CloseHandle(probe);
        done = ReplaceFileW(r.target.c_str(), r.temporary.c_str(), nullptr, 0,
                            nullptr, nullptr) != 0;
        error = done ? 0 : GetLastError();
      }
      // The old file is gone but the new one did not take its name: move
      // it there, so that the new content is where it was asked for.
      if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
          error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        done = MoveFileExW(
                   r.temporary.c_str(), r.target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        error = done ? 0 : GetLastError();
      }
    } else {
      done =
          MoveFileExW(r.temporary.c_str(), r.target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      error = done ? 0 : GetLastError();
    }
    if (done) {
      if (r.route == Route::Replace) keepAttributes(r);
      return true;
    }
    if (!isSharingConflict(error) || waited >= 1000) break;
    Sleep(50);
  }
  noteFailure(file, isSharingConflict(error) ? Text(wording::LockedReason)
                                             : systemErrorText(error));
  return false;
}

}  // namespace

// --- Reading ----------------------------------------------------------

bool readChunk(TextFile& file) {
  file.buffer.resize(ReadChunkSize);
  file.next = 0;
  DWORD got = 0;
  if (ReadFile(handleOf(file), file.buffer.data(),
               static_cast<DWORD>(ReadChunkSize), &got, nullptr) &&
      got > 0) {
    file.buffer.resize(got);
    return true;
  }
  if (got == 0) {
    const DWORD error = GetLastError();
    // A pipe whose writer has closed it is at its end, not broken.
    const bool failed = error != ERROR_SUCCESS && error != ERROR_BROKEN_PIPE &&
                        error != ERROR_HANDLE_EOF;
    if (failed) noteFailure(file, systemErrorText(error));
  }
  file.buffer.clear();
  file.exhausted = true;
  return false;
}

FileHandle openForReading(TextView path, Text* reason) {
  const std::wstring native = nativePath(path);
  const HANDLE handle =
      CreateFileW(native.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A folder is refused as Windows refuses it: "access denied".
    setReason(reason, systemErrorText(GetLastError()));
    return nullptr;
  }
  return adopt(handle, false, true);
}

FileHandle openStandardInput(Text* reason) {
  const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
  // A closed standard input cannot be read; it is not an empty description.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    setReason(reason, systemErrorText(ERROR_INVALID_HANDLE));
    return nullptr;
  }
  if (GetFileType(handle) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) {
    setReason(reason, systemErrorText(GetLastError()));
    return nullptr;
  }
  return adopt(handle, false, false);
}

// --- Writing ----------------------------------------------------------

bool writeAll(HANDLE handle, const char* data, size_t size, DWORD& error) {
  while (size > 0) {
    const DWORD chunk =
        static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
    DWORD put = 0;
    if (!WriteFile(handle, data, chunk, &put, nullptr)) {
      error = GetLastError();
      return false;
    }
    if (put == 0) {
      error = ERROR_WRITE_FAULT;
      return false;
    }
    data += put;
    size -= put;
  }
  return true;
}

bool writeConsoleUnits(HANDLE handle, TextView text) {
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(left < 16384 ? left : 16384);
    if (!WriteConsoleW(handle, units, chunk, &put, nullptr)) return false;
    if (put == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    units += put;
    left -= put;
  }
  return true;
}

bool writeBytes(TextFile& file, const char* data, size_t size) {
  DWORD error = 0;
  if (file.replacement != nullptr && file.replacement->console) {
    // A console shows UTF-16: the bytes come in whole lines, so each chunk
    // decodes on its own.
    if (!writeConsoleUnits(handleOf(file),
                           decodeUtf8(std::string_view(data, size)))) {
      noteFailure(file, systemErrorText(GetLastError()));
      return false;
    }
    return true;
  }
  if (!writeAll(handleOf(file), data, size, error)) {
    noteFailure(file, systemErrorText(error));
    return false;
  }
  return true;
}

FileHandle createForWriting(TextView path) {
  const std::wstring native = nativePath(path);
  HANDLE handle =
      CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A hidden or system file refuses CREATE_ALWAYS with normal attributes;
    // opened and cut to length 0, it keeps its attributes.
    handle = CreateFileW(native.c_str(), GENERIC_WRITE, 0, nullptr,
                         TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return adopt(handle, true, true);
}

FileHandle attachStandardOutput() {
  const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  FileHandle file =
      adoptReplacement(handle == nullptr ? INVALID_HANDLE_VALUE : handle, false,
                       Route::Standard);
  file->replacement->console = isConsole(handle);
  return file;
}

FileHandle createReplacement(TextView path, Text* reason) {
  std::wstring target = nativePath(path);
  if (target.starts_with(L"\\\\.\\")) {
    // NUL, CON, COM1, a named pipe: there is no file to replace.
    const HANDLE handle = CreateFileW(
        target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      setReason(reason, systemErrorText(GetLastError()));
      return nullptr;
    }
    return adoptReplacement(handle, true, Route::Device);
  }
  if (path.empty() || target.empty() || target.back() == L'\\') {
    setReason(reason, systemErrorText(path.empty() ? ERROR_PATH_NOT_FOUND
                                                   : ERROR_INVALID_NAME));
    return nullptr;
  }
  DWORD flags = GetFileAttributesW(target.c_str());
  bool exists = flags != INVALID_FILE_ATTRIBUTES;
  if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) {
    setReason(reason, systemErrorText(GetLastError()));
    return nullptr;
  }
  if (exists && (flags & FILE_ATTRIBUTE_REPARSE_POINT)) {
    target = nativePath(textFromNativePath(followLinks(target)));
    flags = GetFileAttributesW(target.c_str());
    exists = flags != INVALID_FILE_ATTRIBUTES;
  }
  if (exists && (flags & FILE_ATTRIBUTE_DIRECTORY)) {
    // As CreateFileW itself refuses a folder.
    setReason(reason, systemErrorText(ERROR_ACCESS_DENIED));
    return nullptr;
  }
  std::wstring temporary;
  int32_t slot = -1;
  const HANDLE handle = createTemporary(target, temporary, &slot);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder we may not write in may still hold a file we may write.
    if (exists && error != ERROR_NOT_ENOUGH_MEMORY) {
      return startInPlace(target, reason);
    }
    setReason(reason, systemErrorText(error));
    return nullptr;
  }
  FileHandle file =
      adoptReplacement(handle, true, exists ? Route::Replace : Route::NewFile);
  file->replacement->temporary = temporary;
  file->replacement->target = target;
  file->replacement->attributes = exists ? flags : 0;
  file->replacement->slot = slot;
  return file;
}

Status finishWriting(FileHandle file) {
  if (file->writing) flushOutput(*file);
  Replacement* replacement = file->replacement.get();
  const Route route =
      replacement != nullptr ? replacement->route : Route::Standard;
  const bool viaTemporary = route == Route::NewFile || route == Route::Replace;
  if (route == Route::InPlace && !file->failed) writeInPlace(*file);
  if (viaTemporary && !file->failed && !FlushFileBuffers(handleOf(*file))) {
    noteFailure(*file, systemErrorText(GetLastError()));
  }
  if (file->ownsNative && !CloseHandle(handleOf(*file))) {
    noteFailure(*file, systemErrorText(GetLastError()));
  }
  if (viaTemporary) {
    if (!file->failed) swapIn(*file);
    if (file->failed) DeleteFileW(replacement->temporary.c_str());
    forgetTemporaryFile(replacement->slot);
  }
  Status status;
  if (file->failed) status = Status::error(std::move(file->failure));
  delete file;
  return status;
}

void abandonWriting(FileHandle file) {
  if (file->ownsNative) CloseHandle(handleOf(*file));
  const Replacement* replacement = file->replacement.get();
  if (replacement != nullptr && !replacement->temporary.empty()) {
    DeleteFileW(replacement->temporary.c_str());
    forgetTemporaryFile(replacement->slot);
  }
  delete file;
}

// --- Replacements flushed together ----------------------------------------
//
// Windows has no call that flushes a whole volume for a program without
// administrator rights, so each file is finished (and flushed) at once, as
// finishWriting does, and none is ever left pending.

struct PendingReplacement {};

Status finishWritingLater(FileHandle file, PendingReplacement** pending) {
  *pending = nullptr;
  return finishWriting(file);
}

std::vector<Status> commitReplacements(
    const std::vector<PendingReplacement*>& pending) {
  // Never handed any: nothing to put in place.
  for (PendingReplacement* file : pending) delete file;
  return std::vector<Status>(pending.size());
}
