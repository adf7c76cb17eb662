// The preview server's system parts on Windows.
#include <winsock2.h>
#include <windows.h>
#include <bcrypt.h>
#include <winternl.h>

#include <new>
#include <system_error>

#include <boost/asio/detail/socket_option.hpp>

#include "serve/server_platform.h"
#include "base/utf8.h"
#include "platform/system_error.h"

Status randomBytes(size_t count, std::string* bytes) {
  bytes->assign(count, '\0');
  const NTSTATUS result = BCryptGenRandom(
      nullptr, reinterpret_cast<PUCHAR>(bytes->data()),
      static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (result != 0) {
    return Status::error(
        systemErrorText(static_cast<int64_t>(RtlNtStatusToDosError(result))));
  }
  return Status();
}

void prepareListeningSocket(boost::asio::ip::tcp::acceptor& acceptor,
                            boost::system::error_code& error) {
  // Without it another program could bind the same port (with
  // SO_REUSEADDR) and receive connections meant for the server.
  using ExclusiveAddress =
      boost::asio::detail::socket_option::boolean<SOL_SOCKET,
                                                  SO_EXCLUSIVEADDRUSE>;
  acceptor.set_option(ExclusiveAddress(true), error);
}

Status startServerThread(std::function<void()> run, std::thread* thread) {
  // Ctrl+C arrives on a thread of the console's own: nothing to shield.
  try {
    *thread = std::thread(std::move(run));
  } catch (const std::system_error& error) {
    // The thread library's code is a C library one here, not Windows'.
    return Status::error(decodeUtf8(error.code().message()));
  } catch (const std::bad_alloc&) {
    return Status::outOfMemory();
  }
  return Status();
}
