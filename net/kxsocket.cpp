// POSIX sockets for the asynchronous queues' blocking calls.
#include "net/kxsocket.h"

#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

bool setsockaddr(KxSocketAddress* address, const String& host, int port) {
  address->m_addr = sockaddr_in{};
  address->m_addr.sin_family = AF_INET;
  address->m_addr.sin_port = htons(static_cast<uint16_t>(port));
  address->m_addr.sin_addr.s_addr = htonl(INADDR_ANY);
  if (port < 0 || port > 65535 || host.Length() == 0 || host.Length() >= 1024) return false;
  std::string name;
  for (int i = 0; i < host.Length(); ++i) name += static_cast<char>(host[i]);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  address->m_addr.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

bool KxSocket::Open(int protocol) {
  if (m_handle >= 0) return false;
  int handle = -1;
  if (protocol == 1 || protocol == 2) {
    handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    int on = 1;
    if (handle >= 0) setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  } else if (protocol == 3) {
    handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  }
  if (handle < 0) return false;
  m_handle = handle;
  m_protocol = protocol;
  return true;
}

void KxSocket::Close() {
  if (m_handle >= 0) close(m_handle);
  m_handle = -1;
}

bool KxSocket::Connect(const KxSocketAddress& address) {
#ifdef __EMSCRIPTEN__
  // A page may only speak WebSocket, which no server of ours answers: every connect fails.
  (void)address;
  return false;
#endif
  int result;
  do {
    result = connect(m_handle, reinterpret_cast<const sockaddr*>(&address.m_addr), sizeof address.m_addr);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

namespace {

// Cuts [offset, offset + count) to the block; false when nothing valid remains to address.
bool ClipToBlock(const KxDataBuffer* buf, int& offset, int& count) {
  if (!buf || !buf->m_bytes || offset < 0 || offset > buf->m_length) return false;
  if (count < 0) count = 0;
  if (count > buf->m_length - offset) count = buf->m_length - offset;
  return true;
}

}  // namespace

int KxSocket::Send(KxDataBuffer* buf, int offset, int count) {
  if (!ClipToBlock(buf, offset, count)) return -1;
  ssize_t sent;
  // A peer that has gone away must not raise SIGPIPE and end the game.
  do {
    sent = send(m_handle, buf->m_bytes + offset, static_cast<size_t>(count), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent < 0 ? -1 : static_cast<int>(sent);
}

int KxSocket::Receive(KxDataBuffer* buf, int offset, int count) {
  if (!ClipToBlock(buf, offset, count)) return -1;
  // No room left reads as the end of the stream rather than a call that may wait.
  if (count == 0) return 0;
  ssize_t got;
  do {
    got = recv(m_handle, buf->m_bytes + offset, static_cast<size_t>(count), 0);
  } while (got < 0 && errno == EINTR);
  return got < 0 ? -1 : static_cast<int>(got);
}
