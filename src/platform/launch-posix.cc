#include "platform/launch.h"

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>

#include <cerrno>

#include "platform/system_error.h"
#include "base/utf8.h"

extern char** environ;

namespace {

// Frees a spawn attribute object however the launch ends.
class SpawnAttributes {
 public:
  SpawnAttributes() { ready_ = posix_spawnattr_init(&attributes_) == 0; }
  ~SpawnAttributes() {
    if (ready_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  bool ready() const { return ready_; }
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
  bool ready_ = false;
};

}  // namespace

int64_t launchProgram(const std::vector<std::string>& argv, Text* reason) {
  const std::string name = argv.empty() ? std::string() : argv[0];
  auto failed = [&](int code) {
    *reason = decodeUtf8Escaped(name) + u": " + systemErrorText(code);
    return int64_t{0};
  };
  if (name.empty()) return failed(ENOENT);
  std::vector<char*> args;
  for (const std::string& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);

  // A session of its own, so that the program outlives this one and its
  // terminal; the signals this program blocks stay blocked only here.
  SpawnAttributes attributes;
  if (!attributes.ready()) return failed(ENOMEM);
  sigset_t none;
  sigemptyset(&none);
  int code = posix_spawnattr_setsigmask(attributes.get(), &none);
  if (code == 0) {
    code = posix_spawnattr_setflags(
        attributes.get(),
        static_cast<short>(POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK));
  }
  if (code != 0) return failed(code);
  // posix_spawnp looks the name up in PATH as execvp does, and tells when
  // the program could not be run (not found, not a program) rather than
  // leaving that to an exit status.
  pid_t process = 0;
  code = posix_spawnp(&process, name.c_str(), nullptr, attributes.get(),
                      args.data(), environ);
  if (code != 0) return failed(code);
  return process;
}
