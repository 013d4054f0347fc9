// Child program for the fatal-error tests: performs one misuse named on the command line.
// Each misuse must end the process with the runtime's error report.
#include <cstdio>
#include <cstring>

#include "net/socket.h"

namespace {

class NoOp : public c_AsyncOp {
 public:
  void p_Execute__UNSAFE__() override {}
  void p_Complete(c_Socket*) override {}
};

class Source : public Object, public c_IAsyncEventSource {
 public:
  void p_UpdateAsyncEvents() override {}
};

void Overflow() {
  c_AsyncQueue* queue = (new c_AsyncQueue)->m_new(nullptr);
  for (int i = 1; i <= 256; ++i) {
    queue->p_Enqueue((new NoOp)->m_new());
    std::printf("queued %d\n", i);
    std::fflush(stdout);
  }
}

void SourceTwice() {
  Source* source = new Source;
  kx_asyncevent_AddAsyncEventSource(source);
  kx_asyncevent_AddAsyncEventSource(new Source);
  std::puts("added two");
  std::fflush(stdout);
  kx_asyncevent_AddAsyncEventSource(source);
}

}  // namespace

int main(int argc, char** argv) {
  kx_asyncevent_Init();
  const char* what = argc > 1 ? argv[1] : "";
  if (!std::strcmp(what, "overflow")) Overflow();
  if (!std::strcmp(what, "source-twice")) SourceTwice();
  if (!std::strcmp(what, "encoding")) (new c_DataBuffer)->m_new(4)->p_PeekString2(0, String("latin1"));
  if (!std::strcmp(what, "allocate-twice")) (new c_DataBuffer)->m_new(4)->m_new(4);
  if (!std::strcmp(what, "protocol")) (new c_Socket)->m_new(String("raw"));
  std::puts("survived");
  return 0;
}
