// The bare durable replacement that flowsvg's replacing of an existing SVG
// is measured against: reads SOURCE, writes its bytes to a new temporary
// file beside TARGET, flushes it to the disk, renames it over TARGET and
// flushes the folder. Nothing more (no metadata kept, no checks).
//
//   durable_replace SOURCE TARGET
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 64;
  const std::string target = argv[2];
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string temporary = folder + ".durable_replace.tmp";
  int in = open(argv[1], O_RDONLY | O_CLOEXEC);
  int out =
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (in < 0 || out < 0) return 1;
  static char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0) return 1;
    if (got == 0) break;
    for (ssize_t put = 0; put < got;) {
      const ssize_t n =
          write(out, buffer + put, static_cast<size_t>(got - put));
      if (n <= 0) return 1;
      put += n;
    }
  }
  close(in);
  if (fsync(out) != 0 || close(out) != 0) return 1;
  if (rename(temporary.c_str(), target.c_str()) != 0) return 1;
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0 || fsync(dir) != 0) return 1;
  close(dir);
  return 0;
}
