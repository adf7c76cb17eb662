// hold_file PATH: holds the file at PATH open the way a viewer or editor
// on Windows often does (reading, sharing it for reading only), so that a
// test can see what flowsvg does with a file another program has open.
// Prints "held" once the file is open and keeps it open until its standard
// input ends. Exit status 0, or 1 when the file cannot be opened.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: hold_file PATH\n", stderr);
    return 64;
  }
  const HANDLE file =
      CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot open (error %lu)\n",
                 GetLastError());
    return 1;
  }
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  char buffer[256];
  DWORD got;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  CloseHandle(file);
  return 0;
}
