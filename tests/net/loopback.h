// Helpers for the socket and HTTP tests and the HTTP fuzz target (header-only, so the fuzz build
// needs no test library): loopback listeners, a pump that drives the event sources from the
// calling thread, and an HTTP exchange whose server is played on that same thread between
// updates. Every step waits for what the client has done, never for time: only a hang reaches
// the one deadline of the tests' waits.
#pragma once
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "net/http.h"
#include "tests/support/process.h"

namespace nettest {

// A TCP socket bound to a free port on 127.0.0.1, listening when backlog > 0. Should that
// fail, the port is 0, which no connect reaches, and the test fails on it.
inline int BindLoopback(int backlog, int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t len = sizeof addr;
  bind(fd, reinterpret_cast<sockaddr*>(&addr), len);
  if (backlog > 0) listen(fd, backlog);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  *port = ntohs(addr.sin_port);
  return fd;
}

inline std::string Url(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

inline bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

// Updates the event sources a millisecond apart until done() holds. Only a hang reaches the
// deadline, so reaching it ends the program (and the fuzzer reports it).
inline void PumpUntil(const std::function<bool()>& done) {
  auto pumped = [&] { return done() || (kx_asyncevent_UpdateAsyncEvents(), false); };
  if (!kxtest::WaitFor(pumped, kxtest::kHangSeconds, 1)) std::abort();
}

// Every socket closed, drained and gone from the event sources: no completion is left to come.
inline bool Drained() { return kx_asyncevent__sources->p_Length2() == 0; }

// A request that is its own listener, counting its calls and what its current socket's
// receives brought.
class Client : public c_HttpRequest, public c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  size_t received = 0;
  void p_OnHttpRequestComplete(c_HttpRequest*) override { ++calls; }
  void p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override {
    if (source == m_socket && count > 0) received += static_cast<size_t>(count);
    c_HttpRequest::p_OnReceiveComplete(data, offset, count, source);
  }
};

// One exchange with a fresh server: a GET, or a POST of `body`. Once the server has the whole
// request (the head and the body's bytes) or the client has gone, the response goes out in
// pieces of `piece` bytes, each once the client has read all before it, so pieces never merge;
// then the stream ends. Returns the request as the server read it, once every socket has
// drained.
inline std::string Exchange(Client* client, const std::string& path, const std::string& response,
                            size_t piece, const char* body = nullptr) {
  int port = 0, peer = -1;
  const int listener = BindLoopback(1, &port);
  client->calls = 0;
  client->received = 0;
  client->p_Open(String(body ? "POST" : "GET"), String(Url(port, path).c_str()), client);
  body ? client->p_Send2(String::FromUtf8(body), String("text/plain"), String("utf8"))
       : client->p_Send();
  std::string request;
  PumpUntil([&] {
    if (peer < 0 && Readable(listener)) peer = accept(listener, nullptr, nullptr);
    char chunk[4096];
    ssize_t got = peer >= 0 && Readable(peer) ? recv(peer, chunk, sizeof chunk, 0) : -2;
    if (got > 0) request.append(chunk, static_cast<size_t>(got));
    size_t head = request.find("\r\n\r\n"), length = std::strlen(body ? body : "");
    bool whole = head != std::string::npos && request.size() >= head + 4 + length;
    // A client that ended without a connection ever accepted has failed to connect.
    return got == 0 || got == -1 || whole || (peer < 0 && client->calls > 0);
  });
  for (size_t at = 0; at < response.size(); at += piece) {
    // The loopback buffers hold any response sent here, so this never waits for the client.
    std::string bytes = response.substr(at, piece);
    send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    PumpUntil([&] { return client->received >= at + bytes.size() || client->calls > 0; });
  }
  shutdown(peer, SHUT_WR);
  PumpUntil([&] { return client->calls > 0 && Drained(); });
  close(peer);
  close(listener);
  return request;
}

}  // namespace nettest
