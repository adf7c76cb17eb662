// Windows' shells hand "*.txt" to the program as it is: flowsvg lists the
// folder itself, with FindFirstFileW over every name in it, and matches the
// long names with matchesWildcard (the system's own matching would also
// match the short 8.3 names, so "*.htm" would find "page.html").
#include <windows.h>

#include "platform/wildcards.h"
#include "platform/paths.h"

namespace {

// Closes a search however the listing ends.
class Search {
 public:
  explicit Search(HANDLE handle) : handle_(handle) {}
  ~Search() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool listFiles(TextView folder, std::vector<Text>* names) {
  WIN32_FIND_DATAW entry;
  Search search(FindFirstFileExW(nativePath(Text(folder) + u"*").c_str(),
                                 FindExInfoBasic, &entry, FindExSearchNameMatch,
                                 nullptr, 0));
  if (search.get() == INVALID_HANDLE_VALUE) return false;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names->push_back(textFromNativePath(entry.cFileName));
    }
  } while (FindNextFileW(search.get(), &entry));
  return true;
}

const FileLister kLister = listFiles;

}  // namespace

const FileLister* platformWildcardLister() { return &kLister; }
