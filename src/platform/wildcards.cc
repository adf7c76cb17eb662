#include "platform/wildcards.h"

#include <algorithm>

#include "platform/paths.h"

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Where the file part of path starts: after its last separator, or after a
// drive's "X:" when it has no separator.
size_t fileStart(TextView path) {
  const size_t folder = folderPart(path).size();
  if (folder == 0 && path.size() >= 2 && path[1] == u':') return 2;
  return folder;
}

// The length of the character starting at text[i]: 2 for a surrogate pair.
size_t characterAt(TextView text, size_t i) {
  return i + 1 < text.size() && isHighSurrogate(text[i]) &&
                 isLowSurrogate(text[i + 1])
             ? 2
             : 1;
}

// The match itself, on texts already lower-cased: a backtracking scan that
// remembers only the last "*", linear in most patterns and never more than
// quadratic.
bool matches(TextView pattern, TextView name) {
  size_t p = 0;
  size_t n = 0;
  size_t star = TextView::npos;  // the pattern position after the last "*"
  size_t resume = 0;             // where the name resumes after it
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = ++p;
      resume = n;
    } else if (p < pattern.size() && pattern[p] == u'?') {
      ++p;
      n += characterAt(name, n);
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (star != TextView::npos) {
      p = star;
      resume += characterAt(name, resume);
      n = resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace

bool holdsWildcard(TextView path) {
  return path.find_first_of(u"*?", fileStart(path)) != TextView::npos;
}

bool matchesWildcard(TextView pattern, TextView name) {
  const Text p = lowerCase(pattern);
  const Text n = lowerCase(name);
  if (matches(p, n)) return true;
  const TextView view(p);
  if (view.ends_with(u".*")) {
    return matches(view.substr(0, view.size() - 2), n);
  }
  if (view.ends_with(u".") && n.find(u'.') == Text::npos) {
    return matches(view.substr(0, view.size() - 1), n);
  }
  return false;
}

std::vector<Text> expandWildcards(const std::vector<Text>& files,
                                  const FileLister& list,
                                  std::vector<Text>* unmatched) {
  std::vector<Text> expanded;
  for (const Text& file : files) {
    if (!holdsWildcard(file)) {
      expanded.push_back(file);
      continue;
    }
    const size_t start = fileStart(file);
    const TextView folder = TextView(file).substr(0, start);
    const TextView pattern = TextView(file).substr(start);
    std::vector<Text> names;
    if (list(folder, &names)) {
      names.erase(std::remove_if(names.begin(), names.end(),
                                 [&](const Text& name) {
                                   return !matchesWildcard(pattern, name);
                                 }),
                  names.end());
    } else {
      names.clear();
    }
    if (names.empty()) {
      unmatched->push_back(file);
      continue;
    }
    std::vector<std::pair<Text, Text>> ordered;  // lower case, name
    for (Text& name : names) ordered.emplace_back(lowerCase(name), name);
    std::sort(ordered.begin(), ordered.end());
    for (const auto& entry : ordered) {
      expanded.push_back(Text(folder) + entry.second);
    }
  }
  return expanded;
}
