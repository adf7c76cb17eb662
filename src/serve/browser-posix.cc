#include "serve/browser.h"

#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "base/utf8.h"
#include "platform/launch.h"
#include "serve/server_platform.h"

Status openInBrowser(const Text& address) {
  Text reason;
  const int64_t pid = launchProgram({"xdg-open", encodeUtf8(address)}, &reason);
  if (pid == 0) return Status::error(reason);
  // xdg-open ends once it has handed the address on; a thread of its own
  // (the ending signals blocked, as the server's) reaps it, so that no
  // ended process is left behind while the program serves.
  std::thread reaper;
  const Status started = startServerThread(
      [pid] {
        while (waitpid(static_cast<pid_t>(pid), nullptr, 0) < 0 &&
               errno == EINTR) {
        }
      },
      &reaper);
  if (started.ok()) reaper.detach();
  // Without that thread the process is reaped when the program ends.
  return Status();
}
