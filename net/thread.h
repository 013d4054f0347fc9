// Worker threads: a managed object whose body runs once on an operating-system thread of its
// own. The body (Run__UNSAFE__) must not touch managed objects or the collector.
#pragma once
#include <atomic>

#include "runtime/runtime.h"

class KxThread : public Object {
 public:
  // 0 never started, 1 running, 2 finished. Written by both threads, hence atomic.
  std::atomic<int> m_runState{0};

  // Starts the body on a new detached thread unless it is running already.
  virtual void Start();
  virtual bool IsRunning();
  virtual void Run__UNSAFE__() = 0;
};

class c_Thread : public KxThread {
 public:
  c_Thread* m_new() { return this; }
};
