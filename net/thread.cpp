// Detached worker threads over std::thread. The web build has no threads: there the work runs
// at once on the calling thread, which nothing in it holds up for long, since every connect
// fails at once there.
#include "net/thread.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

void KxThread::Start() {
  if (m_runState.load(std::memory_order_acquire) == 1) return;
  m_runState.store(1, std::memory_order_relaxed);
#ifdef __EMSCRIPTEN__
  Run__UNSAFE__();
  m_runState.store(2, std::memory_order_release);
  return;
#endif
  try {
    std::thread([this] {
      Run__UNSAFE__();
      m_runState.store(2, std::memory_order_release);
    }).detach();
  } catch (const std::system_error&) {
    std::puts("CreateThread failed!");
    std::fflush(stdout);
    std::exit(-1);
  }
}

bool KxThread::IsRunning() { return m_runState.load(std::memory_order_acquire) == 1; }
