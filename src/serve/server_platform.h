// What the preview server needs of the operating system, one file per
// platform (-posix.cc, -win32.cc): random bytes for its key, a listening
// socket that no other program can share, and a thread of its own that
// leaves the ending signals to the program.
#ifndef FLOWSVG_SERVE_SERVER_PLATFORM_H_
#define FLOWSVG_SERVE_SERVER_PLATFORM_H_

#include <functional>
#include <string>
#include <thread>

#include <boost/asio/ip/tcp.hpp>

#include "base/status.h"

// Fills *bytes with count bytes from the system's cryptographic random
// generator (getrandom on Linux, BCryptGenRandom on Windows).
Status randomBytes(size_t count, std::string* bytes);

// Sets what a listening socket needs before it is bound: on POSIX the
// address may be bound again while old connections of an earlier run wait
// out their TIME_WAIT; on Windows the address is exclusive, so that no other
// program can bind the same port and take connections meant for the server.
void prepareListeningSocket(boost::asio::ip::tcp::acceptor& acceptor,
                            boost::system::error_code& error);

// Starts run on a new thread in *thread. On POSIX the new thread starts with
// SIGINT, SIGTERM and SIGHUP blocked, so that they are taken by the program's
// main thread (its watch or its handlers) and never by the server's. Fails
// with the reason when no thread can be made.
Status startServerThread(std::function<void()> run, std::thread* thread);

#endif  // FLOWSVG_SERVE_SERVER_PLATFORM_H_
