// The folders the desktop window needs on Windows: the known folder
// Documents, a folder's writability found out by creating a file in it, the
// identity of folders, and the working folder.
#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "platform/user_folders.h"
#include "platform/paths.h"

namespace {

Text withSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
    folder += L'\\';
  }
  return textFromNativePath(folder);
}

// The known folder's path as it is, without creating it; empty when it is
// not there.
std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring found;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) &&
      path != nullptr) {
    found = path;
  }
  CoTaskMemFree(path);
  return found;
}

bool isFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The volume and index of an existing folder, links followed.
bool folderIdentity(TextView folder, BY_HANDLE_FILE_INFORMATION& info) {
  if (folder.empty()) return false;
  const HANDLE handle =
      CreateFileW(nativePath(folder).c_str(), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(handle, &info) &&
                     (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(handle);
  return known;
}

}  // namespace

Text documentsFolder() {
  // Documents, else the profile folder, as the home folder is on POSIX.
  for (REFKNOWNFOLDERID id : {FOLDERID_Documents, FOLDERID_Profile}) {
    const std::wstring folder = knownFolder(id);
    if (isFolder(folder)) return withSeparator(folder);
  }
  return Text();
}

int32_t canWriteInFolder(TextView folder) {
  if (folder.empty()) return 0;
  const std::wstring path = nativePath(folder);
  if (!isFolder(path)) return 0;
  // Permissions, read-only media and shares all have their say when a file
  // is made, and only then: so one is made, hidden, and gone again when
  // closed.
  std::wstring base = path;
  if (base.back() != L'\\') base += L'\\';
  base += L"flowsvg-write-check-" + std::to_wstring(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring probe = base + L"-" + std::to_wstring(attempt) + L".tmp";
    const HANDLE file =
        CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY |
                        FILE_FLAG_DELETE_ON_CLOSE,
                    nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return 1;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return 0;
  }
  return 0;
}

int32_t sameFolder(TextView a, TextView b) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  if (!folderIdentity(a, first) || !folderIdentity(b, second)) return 0;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                 first.nFileIndexHigh == second.nFileIndexHigh &&
                 first.nFileIndexLow == second.nFileIndexLow
             ? 1
             : 0;
}

Text workingFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got =
        GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0) return Text();
    if (got < buffer.size()) {
      buffer.resize(got);
      return withSeparator(buffer);
    }
    buffer.resize(got);  // got counts the terminating 0 here
  }
}
