#!/usr/bin/env bash
# The portable core (src/base, src/model, src/render, src/api and the public
# header) includes no header of the system and calls no file function: it
# converts bytes in memory on any platform, the browser's included. (Without
# those headers, read, write, open and close are not even declared there.)
# Usage: core_is_pure_test.sh SOURCE_DIR
set -u
cd "$1" || exit 1
core="src/base src/model src/render src/api include/flowsvg"
headers=$(grep -rnE '#include *<(unistd\.h|fcntl\.h|sys/|windows\.h|io\.h|direct\.h|dirent\.h|fstream|filesystem|cstdio|stdio\.h)' \
            $core --include='*.h' --include='*.cc' | grep -v '_test\.cc:')
calls=$(grep -rnE '::(open|openat|read|write|close)\(|\b(fopen|fread|fwrite|CreateFileW?|ReadFile|WriteFile|getenv)\(|std::(ifstream|ofstream|fstream|filesystem)' \
          $core --include='*.h' --include='*.cc' | grep -v '_test\.cc:')
if [ -n "$headers$calls" ]; then
  echo "FAIL: the core touches the system:"
  printf '%s\n' "$headers" "$calls" | sed '/^$/d'
  exit 1
fi
echo "the core includes no system header and calls no file function"
