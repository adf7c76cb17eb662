// A small program around the preview server, for its tests: serves a page
// and one description file, writes the file through the safe replacement,
// and tells the server of every save that the folder watch sees.
//
//   preview_driver [--port N] PAGE DESCRIPTION
//
// Once it listens it prints one line, "port P ipv6 yes|no key K", on
// standard output. SIGINT, SIGTERM or SIGHUP end it as they end
// flowsvg --watch (exit status 128 + signal; Ctrl+C on Windows), after the
// server has stopped.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "platform/system_error.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"
#include "platform/watch.h"
#include "serve/preview_server.h"

namespace {

int usage() {
  std::fputs("usage: preview_driver [--port N] PAGE DESCRIPTION\n", stderr);
  return 64;
}

void complain(const char* what, const Status& status) {
  const Text reason =
      status.isOutOfMemory() ? outOfMemoryReason() : status.reason();
  std::fprintf(stderr, "preview_driver: %s: %s\n", what,
               encodeUtf8(reason).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  guardTemporaryFiles();
  std::vector<std::string> args(argv + 1, argv + argc);
  PreviewSettings settings;
  if (args.size() >= 2 && args[0] == "--port") {
    char* end = nullptr;
    const long port = std::strtol(args[1].c_str(), &end, 10);
    if (*end != '\0' || port < 0 || port > 65535) return usage();
    settings.port = static_cast<uint16_t>(port);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 2) return usage();
  const Text pagePath = decodeUtf8(args[0]);
  const Text description = decodeUtf8(args[1]);

  const Status pageRead = readWholeFile(pagePath, &settings.page);
  if (!pageRead.ok()) {
    complain("page", pageRead);
    return 66;
  }
  settings.readDescription = [description](std::string* bytes) {
    return readWholeFile(description, bytes);
  };
  settings.writeDescription = [description](std::string_view bytes) {
    return replaceWholeFile(description, bytes);
  };

  PreviewServer server;
  const Status started = server.start(std::move(settings));
  if (!started.ok()) {
    complain("cannot listen", started);
    return 69;
  }
  // The watch runs before the line is printed: a save made as soon as the
  // line is read is seen.
  Text folder;
  Text reason;
  DescriptionWatch* watch = startWatch({description}, &folder, &reason);
  if (watch == nullptr) {
    server.stop();
    complain("cannot watch", Status::error(folder + u": " + reason));
    return 66;
  }
  std::printf("port %u ipv6 %s key %s\n", unsigned{server.port()},
              server.onIpv6() ? "yes" : "no", server.key().c_str());
  std::fflush(stdout);

  for (;;) {
    std::vector<char> changed;
    int signal = 0;
    const WatchResult result =
        waitForChanges(watch, &changed, &signal, &reason);
    if (result == WatchResult::Changed) {
      server.descriptionChanged();
      continue;
    }
    endWatch(watch);
    server.stop();
    if (result == WatchResult::Stopped) endAsSignalled(signal);
    complain("watch failed", Status::error(reason));
    return 74;
  }
}
