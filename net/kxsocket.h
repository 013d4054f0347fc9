// The system socket layer: IPv4 TCP and UDP sockets over POSIX, with the host lookup through
// getaddrinfo. Plain data only, so the worker threads may use it freely.
#pragma once
#include <netinet/in.h>

#include "net/databuffer.h"

// An IPv4 socket address (family, port, address).
struct KxSocketAddress {
  sockaddr_in m_addr{};
};

// Makes an IPv4 address for `port` and `host` (each code unit narrowed to a byte). A host that
// is empty, too long or does not resolve leaves the address 0.0.0.0 and gives false, as does a
// port outside 0..65535: Linux takes 0.0.0.0 for this machine, so such an address must never
// be connected to. Safe on any thread: it reads the host's units without touching its
// reference count.
bool setsockaddr(KxSocketAddress* address, const String& host, int port);

class KxSocket {
 public:
  int m_handle = -1;
  int m_protocol = 0;

  // Protocols 1 and 2 are TCP streams (with TCP_NODELAY), 3 is UDP; false when already open.
  bool Open(int protocol);
  void Close();
  bool Connect(const KxSocketAddress& address);
  // One system call on buf's bytes [offset, offset + count), cut to the block; the number of
  // bytes moved, 0 at the end of a stream, -1 on error.
  int Send(KxDataBuffer* buf, int offset, int count);
  int Receive(KxDataBuffer* buf, int offset, int count);
};
