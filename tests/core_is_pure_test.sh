#!/usr/bin/env bash
# The converter core (src/base, src/model, src/render and the public header)
# touches no file and nothing of the operating system: none of its source
# files (tests aside, which make fixtures) includes a platform header or a
# layer above it, or calls a file function.
# Usage: core_is_pure_test.sh SOURCE_DIR
set -u
src=$1
cd "$src" || exit 1
core_files=$(find src/base src/model src/render include -type f \( -name '*.h' -o -name '*.cc' \) \
  ! -name '*_test.cc' ! -name '*test_support*' | sort)
[ -n "$core_files" ] || { echo "FAIL: no core files found"; exit 1; }
forbidden='#include *[<"](unistd\.h|fcntl\.h|sys/|windows\.h|io\.h|direct\.h|dirent\.h|fstream|filesystem|cstdio|stdio\.h|platform/|cli/|desktop/)'
# Without those headers POSIX's open, read, write and close do not compile;
# these are the file calls that could still come through another header.
calls='\b(fopen|freopen|fdopen|_wfopen|_open|_wopen|CreateFileW?|ReadFile|WriteFile|DeleteFileW?|MoveFileExW?|std::(i|o)?fstream|std::filesystem|std::remove|std::rename|std::tmpfile)\b'
# shellcheck disable=SC2086
found=$(grep -nE "$forbidden" $core_files; grep -nE "$calls" $core_files | grep -vE '^\S+:[0-9]+:\s*//')
if [ -n "$found" ]; then
  echo "FAIL: the core touches the system:"
  echo "$found"
  exit 1
fi
echo "all checks passed ($(echo "$core_files" | wc -l) core files)"
