// A program on the real host that prints what its delegate receives, one line per call:
// "start", "suspend", "resume", "key <event> <data>". It re-opens its window full screen,
// runs at 60 updates per second and ends quietly on the close key, as an application does.
#include <cstdio>

#include "host/host.h"

namespace {

class Probe : public KxGameDelegate {
 public:
  // Full screen at the desktop's size straight away: only the windowing layer carries the
  // title across that re-opening.
  void StartGame() override {
    KxGame::_game->SetDeviceWindow(1280, 1024, 1);
    KxGame::_game->SetUpdateRate(60);
    printf("start\n");
  }
  void SuspendGame() override { printf("suspend\n"); }
  void ResumeGame() override { printf("resume\n"); }
  void KeyEvent(int event, int data) override {
    printf("key %d %d\n", event, data);
    if (event == KxEventKeyDown && data == KxKeyClose) kxError(String());
  }
};

Probe* probe = nullptr;

}  // namespace

// Unbuffered: the test reads each line as soon as it is said.
void kxInit() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  gc_add_root(10, &probe);
}

int kxMain() {
  gc_assign(probe, new Probe);
  KxGame::_game->SetDelegate(probe);
  return 0;
}

int main(int argc, char** argv) { return KxVantorGame::Main(argc, const_cast<const char**>(argv)); }
