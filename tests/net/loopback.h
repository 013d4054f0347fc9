// Test helpers for the socket tests (header-only, so the game's tests can use them too): a tiny
// scripted HTTP server on 127.0.0.1, bounded in connections and time, and a pump that drives the
// event sources from the test's thread.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/asyncevent.h"

namespace nettest {

// A TCP socket bound to a free port on 127.0.0.1, listening when backlog > 0; -1 on failure.
inline int BindLoopback(int backlog, int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
      (backlog > 0 && listen(fd, backlog) != 0) ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

inline bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) == 1;
}

// A port on 127.0.0.1 that nothing listens on.
inline int RefusedPort() {
  int port = 0;
  close(BindLoopback(0, &port));
  return port;
}

// Serves one connection, then stops: reads the request head (and as many body bytes as its
// Content-Length says), then sends the response pieces with `gapMs` before each and closes.
// Gives up after a few seconds without a client.
class LoopbackServer {
 public:
  LoopbackServer(std::vector<std::string> pieces, int gapMs = 0)
      : pieces_(std::move(pieces)), gapMs_(gapMs), listener_(BindLoopback(1, &port_)) {
    thread_ = std::thread([this] {
      int client = Readable(listener_, 5000) ? accept(listener_, nullptr, nullptr) : -1;
      if (client < 0) return;
      Answer(client);
      close(client);
    });
  }
  ~LoopbackServer() {
    thread_.join();
    close(listener_);
  }
  int Port() const { return port_; }
  // The raw bytes of every request received so far.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Answer(int client) {
    std::string request;
    size_t wanted = std::string::npos;
    char chunk[4096];
    while (request.size() < wanted && Readable(client, 3000)) {
      ssize_t got = recv(client, chunk, sizeof chunk, 0);
      if (got <= 0) break;
      request.append(chunk, static_cast<size_t>(got));
      size_t headEnd = request.find("\r\n\r\n");
      if (headEnd == std::string::npos) continue;
      size_t length = request.find("Content-Length: ");
      size_t body = length < headEnd ? std::strtoul(request.c_str() + length + 16, nullptr, 10) : 0;
      wanted = headEnd + 4 + body;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    for (const std::string& piece : pieces_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(gapMs_));
      if (send(client, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) return;
    }
  }

  std::vector<std::string> pieces_;
  int gapMs_;
  int port_ = 0;
  int listener_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Calls kx_asyncevent_UpdateAsyncEvents every millisecond until `done` or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, double seconds = 60.0) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    kx_asyncevent_UpdateAsyncEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace nettest
