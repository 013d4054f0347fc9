// The saved state as the game reads it: arbitrary bytes in the state file are decoded, loaded
// into a fresh game, played for a few updates with the options box open (which reads the
// loaded settings) and drawn. The state saved afterwards is a fixed point: loading it and
// saving again gives the same text.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/game_world.h"

namespace {

class Harness : public gametest::GameWorld {
 public:
  // The artwork is left out: decoding it for every input would only slow the search down.
  Harness() {
    Start();
    host->missing = ".png";
  }
  void Run(const String& state) {
    host->stored = state;
    // One application at a time: the previous input's is let go, as a fresh test would.
    kx_app__app = nullptr;
    Create();
    LoadAll();
    app->m_optionsOpen = 1;
    for (int i = 0; i < 4; ++i) Update();
    Render();
  }
  String Saved() {
    app->p_Save();
    return host->stored;
  }
};

String Decode(const unsigned char* data, size_t size) {
  if (size == 0) return String();
  FILE* file = fmemopen(const_cast<unsigned char*>(data), size, "rb");
  String text = String::Load(file);
  std::fclose(file);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static Harness* harness = new Harness;
  harness->Run(Decode(data, size));
  String saved = harness->Saved();
  harness->Run(saved);
  if (harness->Saved() != saved) std::abort();
  return 0;
}
