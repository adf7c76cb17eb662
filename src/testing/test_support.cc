#include "testing/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "text/paths.h"
#include "text/utf8.h"

namespace fs = std::filesystem;

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
      return folder.generic_string();
    }
    if (error) return std::string();
  }
}

void removeTree(const std::string& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
}

Text TempFolder::text(const std::string& name) const {
#ifdef _WIN32
  return decodeUtf8(file(name));
#else
  return textFromNativePath(file(name));
#endif
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void RecordingReporter::reportError(TextView caption, TextView path,
                                    TextView reason) {
  messages.push_back(encodeUtf8(Text(caption) + Text(path)));
  reasons.push_back(encodeUtf8(reason));
}
