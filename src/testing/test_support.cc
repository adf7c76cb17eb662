#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/paths.h"
#include "platform/system_error.h"
#include "base/utf8.h"

namespace fs = std::filesystem;

namespace {

// The helpers' strings are UTF-8 on Windows (where a narrow std::string
// path would go through the ANSI code page) and the system's bytes on
// POSIX; u8path and u8string keep both as they are.
fs::path pathOf(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}

std::string stringOf(const std::u8string& text) {
  return std::string(text.begin(), text.end());
}

}  // namespace

std::string makeTempFolder() {
  static std::atomic<unsigned> counter{0};
  const fs::path base = fs::temp_directory_path();
  const auto stamp =
      std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    const fs::path folder =
        base / ("flowsvg-test-" + std::to_string(stamp % 1000000007) + "-" +
                std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(folder, error)) {
      return stringOf(folder.generic_u8string());
    }
    if (error) return std::string();
  }
}

void removeTree(const std::string& folder) {
  std::error_code error;
  fs::remove_all(pathOf(folder), error);
}

Text textOfPath(const std::string& path) {
#ifdef _WIN32
  return decodeUtf8(path);
#else
  return textFromNativePath(path);
#endif
}

Text TempFolder::text(const std::string& name) const {
  return textOfPath(file(name));
}

std::string readWhole(FileHandle file) {
  std::string bytes;
  readBytes(file, bytes, SIZE_MAX);
  EXPECT_EQ(readFailure(file), u"");
  closeFile(file);
  return bytes;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(pathOf(path), std::ios::binary | std::ios::trunc) << bytes;
}

#ifdef _WIN32
std::string missingFileReason() {
  return encodeUtf8(systemErrorText(ERROR_FILE_NOT_FOUND));
}
std::string missingFolderReason() {
  return encodeUtf8(systemErrorText(ERROR_PATH_NOT_FOUND));
}
std::string folderReason() {
  return encodeUtf8(systemErrorText(ERROR_ACCESS_DENIED));
}
bool runningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") !=
         nullptr;
}

unsigned long runTestInOwnConsole(const std::string& name) {
  std::wstring command =
      L"child --gtest_also_run_disabled_tests --gtest_filter=";
  for (const char c : name) command += static_cast<wchar_t>(c);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(nativePath(programPath()).c_str(), command.data(),
                      nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &process)) {
    return ~0ul;
  }
  DWORD status = ~0ul;
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.hProcess, &status)) {
    status = ~0ul;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
}

std::string readToEnd(void* handle) {
  std::string bytes;
  char buffer[4096];
  DWORD got;
  while (ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(handle);
  return bytes;
}

void removeDeepFolder(const Text& file, Text deep) {
  DeleteFileW(nativePath(file).c_str());
  for (int i = 0; i < 5; ++i) {
    RemoveDirectoryW(nativePath(deep).c_str());
    deep.resize(deep.rfind(u'\\'));
  }
}

std::wstring currentFolder() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(
      GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}
#else
bool runningUnderWine() { return false; }
std::string missingFileReason() { return "No such file or directory"; }
std::string missingFolderReason() { return "No such file or directory"; }
std::string folderReason() { return "Is a directory"; }
#endif

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(pathOf(folder), error)) {
    names.push_back(stringOf(entry.path().filename().u8string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void RecordingReporter::reportError(TextView caption, TextView path,
                                    TextView reason) {
  messages.push_back(encodeUtf8(Text(caption) + Text(path)));
  reasons.push_back(encodeUtf8(reason));
}
