// The preview server's system parts on POSIX (Linux).
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>

#include <new>
#include <system_error>

#include "serve/server_platform.h"
#include "platform/system_error.h"

Status randomBytes(size_t count, std::string* bytes) {
  bytes->assign(count, '\0');
  size_t filled = 0;
  while (filled < count) {
    const ssize_t got = getrandom(bytes->data() + filled, count - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Status::error(systemErrorText(errno));
    }
    filled += static_cast<size_t>(got);
  }
  return Status();
}

void prepareListeningSocket(boost::asio::ip::tcp::acceptor& acceptor,
                            boost::system::error_code& error) {
  acceptor.set_option(boost::asio::socket_base::reuse_address(true), error);
}

Status startServerThread(std::function<void()> run, std::thread* thread) {
  sigset_t ending;
  sigset_t saved;
  sigemptyset(&ending);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGHUP);
  // The new thread inherits the mask in force while it is made.
  pthread_sigmask(SIG_BLOCK, &ending, &saved);
  Status status;
  try {
    *thread = std::thread(std::move(run));
  } catch (const std::system_error& error) {
    status = Status::error(systemErrorText(error.code().value()));
  } catch (const std::bad_alloc&) {
    status = Status::outOfMemory();
  }
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return status;
}
