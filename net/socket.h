// Asynchronous sockets: connect, send and receive never block the game loop. Reads (and the
// connect) go through one queue, writes through the other, and each listener is called back on
// the main thread from kx_asyncevent_UpdateAsyncEvents.
#pragma once
#include "net/asyncqueue.h"
#include "net/kxsocket.h"

class c_Socket;

class c_IOnConnectComplete {
 public:
  virtual ~c_IOnConnectComplete() = default;
  virtual void p_OnConnectComplete(bool connected, c_Socket* source) = 0;
};

class c_IOnSendComplete {
 public:
  virtual ~c_IOnSendComplete() = default;
  virtual void p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) = 0;
};

class c_IOnReceiveComplete {
 public:
  virtual ~c_IOnReceiveComplete() = default;
  virtual void p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) = 0;
};

class c_Socket : public Object, public c_IAsyncEventSource {
 public:
  KxSocket m_sock;
  int m_proto = 0;
  // Bits: 1 open, 2 and 4 connected (set together; 4 is the one tested), 8 listening.
  int m_state = 0;
  c_AsyncQueue* m_readQueue = nullptr;
  c_AsyncQueue* m_writeQueue = nullptr;
  // A closed handle that a worker may still be using: it is released only once both queues
  // have completed everything, so a blocked call never ends up on a reused descriptor.
  KxSocket m_retired;

  // "stream", "server" or "datagram"; anything else, or a socket that cannot be made, is fatal.
  c_Socket* m_new(const String& protocol);
  void p_Start();
  void p_ConnectAsync(const String& host, int port, c_IOnConnectComplete* listener);
  void p_SendAsync(c_DataBuffer* data, int offset, int count, c_IOnSendComplete* listener);
  void p_ReceiveAsync(c_DataBuffer* data, int offset, int count, c_IOnReceiveComplete* listener);
  void p_Close();
  bool p_IsOpen() const { return (m_state & 1) != 0; }
  bool p_IsConnected() const { return (m_state & 4) != 0; }
  bool p_IsListening() const { return (m_state & 8) != 0; }
  // Whether every operation has been completed and no worker is left: nothing can touch the
  // buffers the operations were given any more.
  bool p_Drained();
  // Once the socket is closed and drained it takes itself off the event sources, for good.
  void p_UpdateAsyncEvents() override;
  void mark() override;

 private:
  void ReleaseRetired();
};

// The operations. Each holds a copy of the socket's handle taken on the main thread, so the
// worker never reads a field the main thread may change.
class c_AsyncConnectOp : public c_AsyncOp {
 public:
  KxSocket m_socket;
  String m_host;
  int m_port = 0;
  c_IOnConnectComplete* m_listener = nullptr;
  bool m_connected = false;

  c_AsyncConnectOp* m_new(const KxSocket& socket, const String& host, int port,
                          c_IOnConnectComplete* listener);
  void p_Execute__UNSAFE__() override;
  void p_Complete(c_Socket* source) override;
  void mark() override;
};

class c_AsyncSocketIoOp : public c_AsyncOp {
 public:
  KxSocket m_socket;
  c_DataBuffer* m_data = nullptr;
  int m_offset = 0;
  int m_count = 0;

  c_AsyncSocketIoOp* m_new(const KxSocket& socket, c_DataBuffer* data, int offset, int count);
  void mark() override;
};

class c_AsyncSendOp : public c_AsyncSocketIoOp {
 public:
  c_IOnSendComplete* m_listener = nullptr;

  c_AsyncSendOp* m_new(const KxSocket& socket, c_DataBuffer* data, int offset, int count,
                       c_IOnSendComplete* listener);
  void p_Execute__UNSAFE__() override;
  void p_Complete(c_Socket* source) override;
  void mark() override;
};

class c_AsyncReceiveOp : public c_AsyncSocketIoOp {
 public:
  c_IOnReceiveComplete* m_listener = nullptr;

  c_AsyncReceiveOp* m_new(const KxSocket& socket, c_DataBuffer* data, int offset, int count,
                          c_IOnReceiveComplete* listener);
  void p_Execute__UNSAFE__() override;
  void p_Complete(c_Socket* source) override;
  void mark() override;
};
