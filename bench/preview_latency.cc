// The delays of flowsvg --serve, which serves FOLDER/plan.txt (a copy of
// DESCRIPTION) and writes FOLDER/plan.svg. A page's event stream is opened
// on 127.0.0.1 once the address line is printed, then:
//   save  the description saved SAVES times the way editors save (a new file
//         renamed over the old one, a pause between saves), each timed from
//         the rename to the "change" event carrying the new bytes' ETag at
//         the page;
//   put   SAVES saves from a page (PUT /description with the key and the
//         current ETag, on one kept-alive connection, each with a subtitle
//         of its own), each timed from the request's first byte sent to its
//         204 answer read, by which time the description is replaced;
//   svg   the same saves, each timed from the request's first byte sent to
//         the new SVG in place (plan.svg renamed or written into the folder,
//         as inotify tells, and holding that save's subtitle).
// The HTTP on the client's side is Boost.Beast's, as on the server's.
// Prints "save", "put" and "svg", each with MEDIAN MIN MAX in microseconds.
// Ends flowsvg with SIGINT.
//
//   preview_latency FLOWSVG DESCRIPTION FOLDER SAVES
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "latency_support.h"
#include "serve/request_rules.h"

extern char** environ;

namespace net = boost::asio;
namespace http = boost::beast::http;
using tcp = net::ip::tcp;

namespace {

// A step that takes longer than 10 s (an event lost, say) ends the run and
// flowsvg, instead of hanging (Asio's blocking reads wait out a socket's
// receive timeout).
pid_t serverPid = 0;

void onTooLong(int) {
  static const char kSaid[] = "preview_latency: no answer within 10 s\n";
  if (serverPid > 0) kill(serverPid, SIGKILL);
  (void)!write(2, kSaid, sizeof kSaid - 1);
  _exit(1);
}

void limitStep() { alarm(10); }

// A page's event stream: what its chunks carried so far, read as it comes.
class EventStream {
 public:
  EventStream(net::io_context& io, const tcp::endpoint& server,
              const std::string& host)
      : socket_(io) {
    socket_.connect(server);
    http::request<http::empty_body> request{http::verb::get, "/events", 11};
    request.set(http::field::host, host);
    http::write(socket_, request);
    parser_.body_limit(boost::none);
    parser_.on_chunk_body(keep_);
    http::read_header(socket_, buffer_, parser_);
  }

  // Reads until text has come (true), or the stream ends or stays silent
  // (false). What came up to its end is dropped.
  bool waitFor(const std::string& text) {
    for (;;) {
      const size_t at = received_.find(text);
      if (at != std::string::npos) {
        received_.erase(0, at + text.size());
        return true;
      }
      boost::system::error_code error;
      http::read_some(socket_, buffer_, parser_, error);
      if (error) return false;
    }
  }

 private:
  tcp::socket socket_;
  boost::beast::flat_buffer buffer_;
  http::response_parser<http::string_body> parser_;
  std::string received_;
  std::function<size_t(uint64_t, boost::beast::string_view,
                       boost::system::error_code&)>
      keep_ = [this](uint64_t, boost::beast::string_view body,
                     boost::system::error_code&) {
        received_.append(body.data(), body.size());
        return body.size();
      };
};

std::string changeOf(const std::string& bytes) {
  return "event: change\ndata: " + entityTag(bytes) + "\n\n";
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The description with a subtitle of its own, which the drawing shows.
std::string withSubtitle(const std::string& description,
                         const std::string& subtitle) {
  const size_t at = description.find("\nsubtitle = ");
  if (at == std::string::npos) return description;
  const size_t end = description.find_first_of("\r\n", at + 1);
  return description.substr(0, at + 1) + "subtitle = " + subtitle +
         description.substr(end);
}

// Waits until the SVG at svg, in the folder inotify watches, holds text:
// after each file put in place (closed after writing, or renamed in).
bool waitForDrawing(int inotify, const std::string& svg,
                    const std::string& text) {
  alignas(struct inotify_event) char events[4096];
  for (;;) {
    if (readFile(svg).find(text) != std::string::npos) return true;
    if (read(inotify, events, sizeof events) <= 0) return false;
  }
}

int run(const std::string& input, const std::string& description, int saves,
        uint16_t port, const std::string& key) {
  net::io_context io;
  const tcp::endpoint server(net::ip::address_v4::loopback(), port);
  const std::string host = "127.0.0.1:" + std::to_string(port);
  limitStep();
  EventStream page(io, server, host);
  if (!page.waitFor(changeOf(description))) {
    std::fprintf(stderr, "the stream did not start with the description\n");
    return 1;
  }

  std::vector<double> micros;
  std::string bytes;
  for (int save = 1; save <= saves; ++save) {
    bytes = description + "# saved on disk " + std::to_string(save) + "\r\n";
    const std::string saving = input + ".saving";
    if (!writeFile(saving, bytes)) return 1;
    usleep(50 * 1000);
    limitStep();
    const double start = now();
    if (rename(saving.c_str(), input.c_str()) != 0) return 1;
    if (!page.waitFor(changeOf(bytes))) {
      std::fprintf(stderr, "save %d was not announced\n", save);
      return 1;
    }
    micros.push_back(now() - start);
  }
  printMedianMinMax("save", micros);

  micros.clear();
  std::vector<double> drawn;
  const std::string svg =
      input.substr(0, input.size() - std::string(".txt").size()) + ".svg";
  const int inotify = inotify_init1(IN_CLOEXEC);
  const std::string folder = input.substr(0, input.rfind('/'));
  if (inotify < 0 ||
      inotify_add_watch(inotify, folder.c_str(),
                        IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
    std::perror("inotify");
    return 1;
  }
  tcp::socket client(io);
  client.connect(server);
  boost::beast::flat_buffer buffer;
  for (int save = 1; save <= saves; ++save) {
    http::request<http::string_body> put{http::verb::put, "/description", 11};
    put.set(http::field::host, host);
    put.set("X-Flowsvg-Key", key);
    put.set(http::field::if_match, entityTag(bytes));
    const std::string subtitle = "Saved from the page " + std::to_string(save);
    bytes = withSubtitle(description, subtitle);
    put.body() = bytes;
    put.prepare_payload();
    usleep(50 * 1000);
    limitStep();
    const double start = now();
    http::write(client, put);
    http::response<http::empty_body> answer;
    http::read(client, buffer, answer);
    micros.push_back(now() - start);
    if (!waitForDrawing(inotify, svg, ">" + subtitle + "<")) {
      std::fprintf(stderr, "save from the page %d was not drawn\n", save);
      return 1;
    }
    drawn.push_back(now() - start);
    if (answer.result() != http::status::no_content) {
      std::fprintf(stderr, "save from the page %d: %u\n", save,
                   answer.result_int());
      return 1;
    }
    // The stream told of it too; taken so that the next wait starts afresh.
    if (!page.waitFor(changeOf(bytes))) {
      std::fprintf(stderr, "save from the page %d was not announced\n", save);
      return 1;
    }
  }
  close(inotify);
  if (readFile(input) != bytes) {
    std::fprintf(stderr, "the description is not the last save\n");
    return 1;
  }
  printMedianMinMax("put", micros);
  printMedianMinMax("svg", drawn);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: preview_latency FLOWSVG DESCRIPTION FOLDER SAVES\n");
    return 64;
  }
  const std::string folder = argv[3];
  const int saves = std::atoi(argv[4]);
  const std::string description = readFile(argv[2]);
  const std::string input = folder + "/plan.txt";
  if (saves < 1 || !writeFile(input, description)) return 1;

  // flowsvg --serve, its lines (standard error) read from a pipe; SIGINT at
  // its default, as Ctrl+C finds it.
  int lines[2];
  if (pipe(lines) != 0) return 1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, lines[1], 2);
  posix_spawn_file_actions_addclose(&actions, lines[0]);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  posix_spawnattr_setsigdefault(&attributes, &interrupt);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::string serve = "--serve";
  std::string quiet = "-q";
  std::vector<char*> args = {argv[1], quiet.data(), serve.data(),
                             const_cast<char*>(input.c_str()), nullptr};
  pid_t flowsvg;
  if (posix_spawn(&flowsvg, argv[1], &actions, &attributes, args.data(),
                  environ) != 0) {
    return 1;
  }
  close(lines[1]);
  serverPid = flowsvg;
  signal(SIGALRM, onTooLong);
  limitStep();
  // "[hh:mm:ss] Preview at http://127.0.0.1:PORT/#key=KEY"
  FILE* said = fdopen(lines[0], "r");
  unsigned port = 0;
  char key[64] = "";
  char line[512];
  while (said != nullptr && port == 0 &&
         std::fgets(line, sizeof line, said) != nullptr) {
    const char* address = std::strstr(line, "Preview at http://127.0.0.1:");
    if (address != nullptr &&
        std::sscanf(address, "Preview at http://127.0.0.1:%u/#key=%63s", &port,
                    key) != 2) {
      port = 0;
    }
  }
  if (port == 0) {
    std::fprintf(stderr, "flowsvg printed no address\n");
    kill(flowsvg, SIGKILL);
    waitpid(flowsvg, nullptr, 0);
    return 1;
  }
  // Its later lines (the conversions') are read and dropped, so that it
  // never waits for the pipe.
  std::thread drain([said] {
    char rest[512];
    while (std::fgets(rest, sizeof rest, said) != nullptr) {
    }
  });

  int result = 1;
  try {
    result = run(input, description, saves, static_cast<uint16_t>(port), key);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  alarm(0);
  kill(flowsvg, SIGINT);
  int status = 0;
  waitpid(flowsvg, &status, 0);
  drain.join();
  std::fclose(said);
  // Ended by the signal itself, as a watch ends (a shell shows 130).
  if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGINT) {
    std::fprintf(stderr, "flowsvg did not end as Ctrl+C ends it\n");
    return 1;
  }
  return result;
}
