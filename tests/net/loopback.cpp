#include "tests/net/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "net/asyncevent.h"

namespace nettest {

namespace {

int ListenOnLoopback(int backlog, int* port) {
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

bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) == 1;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<std::string> responsePieces, int connections, int gapMs)
    : pieces_(std::move(responsePieces)), gapMs_(gapMs) {
  listener_ = ListenOnLoopback(connections, &port_);
  thread_ = std::thread([this, connections] { Serve(connections); });
}

LoopbackServer::~LoopbackServer() {
  thread_.join();
  if (listener_ >= 0) close(listener_);
}

std::vector<std::string> LoopbackServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackServer::Serve(int connections) {
  for (int i = 0; i < connections && listener_ >= 0; ++i) {
    if (!Readable(listener_, 5000)) return;
    int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    Answer(client);
    close(client);
  }
}

void LoopbackServer::Answer(int client) {
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
    if (gapMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(gapMs_));
    if (send(client, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) return;
  }
}

int RefusedPort() {
  int port = 0;
  int fd = ListenOnLoopback(0, &port);
  close(fd);
  return port;
}

bool PumpUntil(const std::function<bool()>& done, double seconds) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    kx_asyncevent_UpdateAsyncEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace nettest
