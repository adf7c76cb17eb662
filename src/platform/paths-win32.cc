// File information and names on Windows. Paths go to the wide-character
// Win32 API as they are, made absolute; one that would not fit MAX_PATH
// gets the \\?\ prefix, so that nothing is cut at 259 characters whether or
// not the system allows long paths to programs that declare them.
#include <windows.h>

#include <string>

#include "platform/paths.h"

namespace {

// "X:" alone: a drive given by its letter.
bool isDrive(TextView path) {
  return path.size() == 2 && path[1] == u':' &&
         ((path[0] >= u'A' && path[0] <= u'Z') ||
          (path[0] >= u'a' && path[0] <= u'z'));
}

// "\\server\share" alone: the root of a network share.
bool isShareRoot(TextView path) {
  if (path.size() < 5 || !isSeparator(path[0]) || !isSeparator(path[1]) ||
      path[2] == u'?' || path[2] == u'.') {
    return false;
  }
  size_t separators = 0;
  for (size_t i = 2; i < path.size(); ++i) {
    if (isSeparator(path[i])) ++separators;
  }
  return separators == 1 && !isSeparator(path[2]) && !isSeparator(path.back());
}

// The path made absolute by the system's rules (slashes become
// backslashes, "." and ".." are resolved). Paths already in the \\?\ or
// \\.\ namespace are taken as they are.
std::wstring fullPath(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
    return path;
  }
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetFullPathNameW(
        path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (got == 0) return path;  // let the call that uses it fail
    if (got < full.size()) {
      full.resize(got);
      return full;
    }
    full.resize(got);  // got counts the terminating 0 here
  }
}

// The file or folder's handle for reading its information, 0 when it
// cannot be opened.
HANDLE openForInformation(const std::wstring& path) {
  const HANDLE handle = CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

FileIdentity identityOfHandle(HANDLE handle) {
  FileIdentity identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
      GetFileType(handle) == FILE_TYPE_DISK &&
      GetFileInformationByHandle(handle, &info) &&
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    identity.device = info.dwVolumeSerialNumber;
    identity.file =
        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.known = true;
  }
  return identity;
}

}  // namespace

std::wstring nativePath(TextView path) {
  std::wstring full = fullPath(std::wstring(path.begin(), path.end()));
  // CreateDirectoryW's limit (MAX_PATH less room for an 8.3 name) is the
  // lowest of the API; above it, only the prefixed form is safe.
  if (full.size() < MAX_PATH - 12 || full.starts_with(L"\\\\?\\") ||
      full.starts_with(L"\\\\.\\")) {
    return full;
  }
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

Text textFromNativePath(std::wstring_view path) {
  return Text(path.begin(), path.end());
}

int64_t fileSizeOf(TextView path) {
  size_t length = path.size();
  while (length > 0 && isSeparator(path[length - 1])) --length;
  if (length == 0) return -1;
  Text trimmed(path.substr(0, length));
  // A drive ("C:") and a share root ("\\server\share") are asked about as
  // their root folder: without the separator "C:" would name the current
  // folder of that drive, and a share root may not answer at all.
  if (isDrive(trimmed) || isShareRoot(trimmed)) trimmed += u'\\';
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExW(nativePath(trimmed).c_str(), GetFileExInfoStandard,
                            &info)) {
    return -1;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
  return static_cast<int64_t>(
      (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
}

int32_t fileAttributesOf(TextView path) {
  if (path.empty()) return -1;
  const DWORD flags = GetFileAttributesW(nativePath(path).c_str());
  if (flags == INVALID_FILE_ATTRIBUTES) return -1;
  static_assert(FolderAttribute == FILE_ATTRIBUTE_DIRECTORY);
  return static_cast<int32_t>(flags & 0x7FFFFFFF);
}

Text programPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, buffer.data(),
                                         static_cast<DWORD>(buffer.size()));
    if (got == 0) return Text();
    if (got < buffer.size()) {
      buffer.resize(got);
      break;
    }
    buffer.resize(buffer.size() * 2);  // never cut a long path short
  }
  // A program started through a long-path name reports it with the prefix;
  // the path a person knows has none.
  if (buffer.starts_with(L"\\\\?\\UNC\\")) {
    buffer = L"\\\\" + buffer.substr(8);
  } else if (buffer.starts_with(L"\\\\?\\")) {
    buffer = buffer.substr(4);
  }
  return textFromNativePath(buffer);
}

FileIdentity identityOf(TextView path) {
  const HANDLE handle = openForInformation(nativePath(path));
  const FileIdentity identity = identityOfHandle(handle);
  if (handle != nullptr) CloseHandle(handle);
  return identity;
}

OutputPlace placeOf(TextView path) {
  OutputPlace place;
  // The full path has "." and ".." resolved, and the trailing dots and
  // spaces Windows drops from a name already dropped.
  const std::wstring full = nativePath(path);
  const size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == full.size()) return place;
  std::wstring folder = full.substr(0, slash);
  if (folder.empty() || folder.back() == L':') folder += L'\\';
  const HANDLE handle = openForInformation(folder);
  BY_HANDLE_FILE_INFORMATION info;
  if (handle != nullptr && GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    place.folder.device = info.dwVolumeSerialNumber;
    place.folder.file =
        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    place.folder.known = true;
    const std::wstring name = full.substr(slash + 1);
    place.name = lowerCase(Text(name.begin(), name.end()));
  }
  if (handle != nullptr) CloseHandle(handle);
  return place;
}

FileIdentity identityOfStandardInput() {
  return identityOfHandle(GetStdHandle(STD_INPUT_HANDLE));
}

FileIdentity identityOfStandardOutput() {
  return identityOfHandle(GetStdHandle(STD_OUTPUT_HANDLE));
}
