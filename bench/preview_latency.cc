// The preview server's delays, through its test program (preview_driver,
// which serves FOLDER/plan.txt, a copy of DESCRIPTION, and tells the server
// of every save its folder watch sees). A page's event stream is opened on
// 127.0.0.1, then:
//   save  the description saved SAVES times the way editors save (a new file
//         renamed over the old one, a pause between saves), each timed from
//         the rename to the "change" event carrying the new bytes' ETag at
//         the page;
//   put   SAVES saves from a page (PUT /description with the key and the
//         current ETag, on one kept-alive connection), each timed from the
//         request's first byte sent to its 204 answer read, by which time the
//         file is replaced on disk.
// The HTTP on the client's side is Boost.Beast's, as on the server's.
// Prints "save MEDIAN MIN MAX" and "put MEDIAN MIN MAX" in microseconds.
// Ends the driver with SIGINT.
//
//   preview_latency PREVIEW_DRIVER DESCRIPTION FOLDER SAVES
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "serve/request_rules.h"

extern char** environ;

namespace net = boost::asio;
namespace http = boost::beast::http;
using tcp = net::ip::tcp;

namespace {

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

// A step that takes longer than 10 s (an event lost, say) ends the run and
// the driver, instead of hanging (Asio's blocking reads wait out a socket's
// receive timeout).
pid_t driverPid = 0;

void onTooLong(int) {
  static const char kSaid[] = "preview_latency: no answer within 10 s\n";
  if (driverPid > 0) kill(driverPid, SIGKILL);
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

void report(const char* what, std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  std::printf("%s %.1f %.1f %.1f\n", what, micros[micros.size() / 2],
              micros.front(), micros.back());
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
  report("save", micros);

  micros.clear();
  tcp::socket client(io);
  client.connect(server);
  boost::beast::flat_buffer buffer;
  for (int save = 1; save <= saves; ++save) {
    http::request<http::string_body> put{http::verb::put, "/description", 11};
    put.set(http::field::host, host);
    put.set("X-Flowsvg-Key", key);
    put.set(http::field::if_match, entityTag(bytes));
    bytes = description + "# saved from the page " + std::to_string(save) +
            "\r\n";
    put.body() = bytes;
    put.prepare_payload();
    usleep(50 * 1000);
    limitStep();
    const double start = now();
    http::write(client, put);
    http::response<http::empty_body> answer;
    http::read(client, buffer, answer);
    micros.push_back(now() - start);
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
  std::ifstream in(input, std::ios::binary);
  if (std::string{std::istreambuf_iterator<char>(in), {}} != bytes) {
    std::fprintf(stderr, "the description is not the last save\n");
    return 1;
  }
  report("put", micros);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: preview_latency PREVIEW_DRIVER DESCRIPTION FOLDER "
                 "SAVES\n");
    return 64;
  }
  const std::string folder = argv[3];
  const int saves = std::atoi(argv[4]);
  std::ifstream in(argv[2], std::ios::binary);
  const std::string description{std::istreambuf_iterator<char>(in), {}};
  const std::string input = folder + "/plan.txt";
  const std::string page = folder + "/page.html";
  if (saves < 1 || !writeFile(input, description) ||
      !writeFile(page, "<!doctype html><title>preview</title>\n")) {
    return 1;
  }

  // The driver's first line, "port P ipv6 yes|no key K", read from a pipe.
  int lines[2];
  if (pipe(lines) != 0) return 1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, lines[1], 1);
  posix_spawn_file_actions_addclose(&actions, lines[0]);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  posix_spawnattr_setsigdefault(&attributes, &interrupt);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> args = {argv[1], const_cast<char*>(page.c_str()),
                             const_cast<char*>(input.c_str()), nullptr};
  pid_t driver;
  if (posix_spawn(&driver, argv[1], &actions, &attributes, args.data(),
                  environ) != 0) {
    return 1;
  }
  close(lines[1]);
  driverPid = driver;
  signal(SIGALRM, onTooLong);
  limitStep();
  FILE* first = fdopen(lines[0], "r");
  unsigned port = 0;
  char key[64] = "";
  char ipv6[8] = "";
  if (first == nullptr ||
      std::fscanf(first, "port %u ipv6 %7s key %63s", &port, ipv6, key) != 3) {
    std::fprintf(stderr, "the driver printed no port\n");
    kill(driver, SIGKILL);
    waitpid(driver, nullptr, 0);
    return 1;
  }

  int result = 1;
  try {
    result = run(input, description, saves, static_cast<uint16_t>(port), key);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  alarm(0);
  kill(driver, SIGINT);
  int status = 0;
  waitpid(driver, &status, 0);
  std::fclose(first);
  // Ended by the signal itself, as a watch ends (a shell shows 130).
  if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGINT) {
    std::fprintf(stderr, "the driver did not end as Ctrl+C ends it\n");
    return 1;
  }
  return result;
}
