// The operation ring shared by the main thread and one worker at a time.
#include "net/asyncqueue.h"

#include "net/socket.h"

namespace {
int Next(int index) { return (index + 1) % c_AsyncQueue::kSlots; }
}  // namespace

c_AsyncQueue* c_AsyncQueue::m_new(c_Socket* source) {
  c_Thread::m_new();
  gc_assign(m_source, source);
  gc_assign(m_queue, Array<c_AsyncOp*>(kSlots));
  return this;
}

void c_AsyncQueue::p_Enqueue(c_AsyncOp* op) {
  int put = m_put.load(std::memory_order_acquire);
  gc_assign(m_queue[put], op);
  put = Next(put);
  if (put == m_get.load(std::memory_order_acquire)) kxError(String("AsyncQueue queue overflow!"));
  m_put.store(put, std::memory_order_release);
  Start();
}

bool c_AsyncQueue::p_Idle() const {
  return m_get.load(std::memory_order_acquire) == m_put.load(std::memory_order_acquire);
}

void c_AsyncQueue::Run__UNSAFE__() {
  int run = m_run.load(std::memory_order_acquire);
  while (run != m_put.load(std::memory_order_acquire)) {
    m_queue[run]->p_Execute__UNSAFE__();
    run = Next(run);
    m_run.store(run, std::memory_order_release);
  }
}

void c_AsyncQueue::p_UpdateAsyncEvents() {
  if (m_run.load(std::memory_order_acquire) != m_put.load(std::memory_order_acquire)) {
    // The worker may have seen the queue empty and be on its way out just as an operation was
    // added; it has then left work behind, so start another.
    if (!IsRunning()) kxPrint(String("RACE!"));
    Start();
  }
  int get = m_get.load(std::memory_order_acquire);
  while (get != m_run.load(std::memory_order_acquire)) {
    c_AsyncOp* op = m_queue[get];
    get = Next(get);
    m_get.store(get, std::memory_order_release);
    op->p_Complete(m_source);
  }
}

void c_AsyncQueue::mark() {
  c_Thread::mark();
  gc_mark_q(m_source);
  gc_mark_q(m_queue);
}
