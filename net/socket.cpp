// Sockets and their operations: the blocking halves run on the queues' workers, the completions
// on the main thread.
#include "net/socket.h"

#include <sys/socket.h>

c_Socket* c_Socket::m_new(const String& protocol) {
  if (protocol == String("stream")) {
    m_proto = 1;
  } else if (protocol == String("server")) {
    m_proto = 2;
  } else if (protocol == String("datagram")) {
    m_proto = 3;
  } else {
    kxError(String("Illegal socket protocol"));
  }
  if (!m_sock.Open(m_proto)) kxError(String("Socket open failed"));
  m_state = 1;
  p_Start();
  return this;
}

void c_Socket::p_Start() {
  gc_assign(m_readQueue, (new c_AsyncQueue)->m_new(this));
  gc_assign(m_writeQueue, (new c_AsyncQueue)->m_new(this));
  kx_asyncevent_AddAsyncEventSource(this);
}

void c_Socket::p_ConnectAsync(const String& host, int port, c_IOnConnectComplete* listener) {
  if (!p_IsOpen() || (m_state & 12) != 0) return;
  m_readQueue->p_Enqueue((new c_AsyncConnectOp)->m_new(m_sock, host, port, listener));
}

void c_Socket::p_SendAsync(c_DataBuffer* data, int offset, int count, c_IOnSendComplete* listener) {
  if (!p_IsConnected()) return;
  m_writeQueue->p_Enqueue((new c_AsyncSendOp)->m_new(m_sock, data, offset, count, listener));
}

void c_Socket::p_ReceiveAsync(c_DataBuffer* data, int offset, int count,
                              c_IOnReceiveComplete* listener) {
  if (!p_IsConnected()) return;
  m_readQueue->p_Enqueue((new c_AsyncReceiveOp)->m_new(m_sock, data, offset, count, listener));
}

void c_Socket::p_Close() {
  if (m_sock.m_handle >= 0) {
    // Wakes any worker blocked on the handle; the descriptor itself stays reserved until the
    // queues have drained.
    shutdown(m_sock.m_handle, SHUT_RDWR);
    m_retired = m_sock;
    m_sock.m_handle = -1;
  }
  m_state = 0;
  ReleaseRetired();
}

void c_Socket::ReleaseRetired() {
  if (m_retired.m_handle >= 0 && m_readQueue->p_Idle() && m_writeQueue->p_Idle()) m_retired.Close();
}

bool c_Socket::p_Drained() {
  return m_readQueue->p_Idle() && m_writeQueue->p_Idle() && !m_readQueue->IsRunning() &&
         !m_writeQueue->IsRunning();
}

void c_Socket::p_UpdateAsyncEvents() {
  m_readQueue->p_UpdateAsyncEvents();
  m_writeQueue->p_UpdateAsyncEvents();
  ReleaseRetired();
  // A closed socket can never be used again; drained, it has nothing left to report either.
  if (!p_IsOpen() && p_Drained()) kx_asyncevent_RemoveAsyncEventSource(this);
}

void c_Socket::mark() {
  gc_mark_q(m_readQueue);
  gc_mark_q(m_writeQueue);
}

c_AsyncConnectOp* c_AsyncConnectOp::m_new(const KxSocket& socket, const String& host, int port,
                                          c_IOnConnectComplete* listener) {
  c_AsyncOp::m_new();
  m_socket = socket;
  m_host = host;
  m_port = port;
  gc_assign(m_listener, listener);
  return this;
}

void c_AsyncConnectOp::p_Execute__UNSAFE__() {
  KxSocketAddress address;
  m_connected = setsockaddr(&address, m_host, m_port) && m_socket.Connect(address);
}

// A socket closed while its connect was under way stays closed, whatever the call gave.
void c_AsyncConnectOp::p_Complete(c_Socket* source) {
  m_connected = m_connected && source->p_IsOpen();
  if (m_connected) source->m_state |= 6;
  if (m_listener) m_listener->p_OnConnectComplete(m_connected, source);
}

void c_AsyncConnectOp::mark() { gc_mark_q(m_listener); }

c_AsyncSocketIoOp* c_AsyncSocketIoOp::m_new(const KxSocket& socket, c_DataBuffer* data, int offset,
                                            int count) {
  c_AsyncOp::m_new();
  m_socket = socket;
  gc_assign(m_data, data);
  m_offset = offset;
  m_count = count;
  return this;
}

void c_AsyncSocketIoOp::mark() { gc_mark_q(m_data); }

c_AsyncSendOp* c_AsyncSendOp::m_new(const KxSocket& socket, c_DataBuffer* data, int offset, int count,
                                    c_IOnSendComplete* listener) {
  c_AsyncSocketIoOp::m_new(socket, data, offset, count);
  gc_assign(m_listener, listener);
  return this;
}

void c_AsyncSendOp::p_Execute__UNSAFE__() { m_count = m_socket.Send(m_data, m_offset, m_count); }

void c_AsyncSendOp::p_Complete(c_Socket* source) {
  if (m_listener) m_listener->p_OnSendComplete(m_data, m_offset, m_count, source);
}

void c_AsyncSendOp::mark() {
  c_AsyncSocketIoOp::mark();
  gc_mark_q(m_listener);
}

c_AsyncReceiveOp* c_AsyncReceiveOp::m_new(const KxSocket& socket, c_DataBuffer* data, int offset,
                                          int count, c_IOnReceiveComplete* listener) {
  c_AsyncSocketIoOp::m_new(socket, data, offset, count);
  gc_assign(m_listener, listener);
  return this;
}

void c_AsyncReceiveOp::p_Execute__UNSAFE__() { m_count = m_socket.Receive(m_data, m_offset, m_count); }

void c_AsyncReceiveOp::p_Complete(c_Socket* source) {
  if (m_listener) m_listener->p_OnReceiveComplete(m_data, m_offset, m_count, source);
}

void c_AsyncReceiveOp::mark() {
  c_AsyncSocketIoOp::mark();
  gc_mark_q(m_listener);
}
