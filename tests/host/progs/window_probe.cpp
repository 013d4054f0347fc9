// A program on the real host that prints what its delegate receives, one line per call:
// "start", "suspend", "resume", "key <event> <data>". It re-opens its window full screen,
// runs at 60 updates per second and ends quietly on the close key, as an application does.
#include <cstdio>

#include "host/host.h"

namespace {

void Say(const char* text, int event = 0, int data = 0) {
  printf(text, event, data);
  fflush(stdout);
}

class Probe : public KxGameDelegate {
 public:
  // Full screen at the desktop's size straight away: only the windowing layer carries the
  // title across that re-opening.
  void StartGame() override {
    KxGame::_game->SetDeviceWindow(1280, 1024, 1);
    KxGame::_game->SetUpdateRate(60);
    Say("start\n");
  }
  void SuspendGame() override { Say("suspend\n"); }
  void ResumeGame() override { Say("resume\n"); }
  void KeyEvent(int event, int data) override {
    Say("key %d %d\n", event, data);
    if (event == KxEventKeyDown && data == KxKeyClose) kxError(String());
  }
};

Probe* probe = nullptr;

}  // namespace

void kxInit() { gc_add_root(10, &probe); }

int kxMain() {
  gc_assign(probe, new Probe);
  KxGame::_game->SetDelegate(probe);
  return 0;
}

int main(int argc, char** argv) { return KxVantorGame::Main(argc, const_cast<const char**>(argv)); }
