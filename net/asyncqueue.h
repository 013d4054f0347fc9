// Operation queues: each socket has two, and each queue is also the worker thread that performs
// its operations' blocking calls in order. The main thread completes finished operations and
// calls their listeners back from the event-source update.
#pragma once
#include <atomic>

#include "net/asyncevent.h"
#include "net/thread.h"

class c_Socket;

// One queued operation. Execute runs on the worker; Complete on the main thread afterwards.
class c_AsyncOp : public Object {
 public:
  c_AsyncOp* m_new() { return this; }
  virtual void p_Complete(c_Socket* source) = 0;
  virtual void p_Execute__UNSAFE__() = 0;
};

class c_AsyncQueue : public c_Thread, public c_IAsyncEventSource {
 public:
  static const int kSlots = 256;

  c_Socket* m_source = nullptr;
  Array<c_AsyncOp*> m_queue;
  // The main thread writes m_put and m_get, the worker m_run. Each index is stored with release
  // after the operation's fields are written and loaded with acquire before they are read, so an
  // operation is fully published before the other thread sees the index move past it.
  std::atomic<int> m_put{0};
  std::atomic<int> m_get{0};
  std::atomic<int> m_run{0};

  c_AsyncQueue* m_new(c_Socket* source);
  // At most 255 operations may be outstanding; one more is a fatal error.
  void p_Enqueue(c_AsyncOp* op);
  // True when every enqueued operation has been completed on the main thread.
  bool p_Idle() const;
  void Run__UNSAFE__() override;
  void p_UpdateAsyncEvents() override;
  void mark() override;
};
