// A run that ends in a run-time error, on the scripted windowing library: "record FILE" plays
// until the probe's check fails at update 30; "verify FILE UPDATE" replays the file with the
// probe failing at UPDATE instead, and prints the replay's verdict.
#include <cstdlib>
#include <string>

#include "host/replay/host.h"
#include "tests/host/fake_glfw.h"

namespace {

int failAt = 30;

class Probe : public KxGameDelegate {
 public:
  int updates = 0;
  void StartGame() override { KxGame::_game->SetUpdateRate(60); }
  void UpdateGame() override {
    KxGame::_game->Millisecs();
    if (++updates == failAt) kxError(String("the probe broke"));
  }
};

Probe* probe = nullptr;

}  // namespace

void kxInit() { gc_add_root(10, &probe); }

int kxMain() {
  probe = new Probe;
  KxGame::_game->SetDelegate(probe);
  return 0;
}

int main(int argc, const char** argv) {
  if (argc < 3) return 2;
  std::string mode = argv[1];
  kxtest::FakeGlfw fake;
  if (mode == "record") {
    KxRecordingGame* host = new KxRecordingGame;
    if (!host->Record(argv[2], "t", 7)) return 2;
    return KxVantorGame::Main2(host, argc, argv);
  }
  if (argc > 3) failAt = std::atoi(argv[3]);
  KxReplayGame* host = new KxReplayGame(false);
  if (!host->Load(argv[2], "t", 7)) return 2;
  return KxVantorGame::Main2(host, argc, argv);
}
