// Verifying a recording, the whole way, under a fuzzer: the input describes the entries of a
// run (or, when its first byte is odd, is a replay file as it stands), the harness writes them
// as a sound file, and the reader, the replaying host and the game behind it play it through
// without a window, as --verify does. Any input ends in a verdict of 0, 1 or 2: never a crash,
// a hang or a wait on standard input.
#include <cstdlib>
#include <cstring>

#include "game/shell/globals.h"
#include "graphics/gl.h"
#include "host/replay/host.h"
#include "tests/fuzz/fuzz_file.h"

namespace {

// The input as entries: a kind, then each value, a small one in a byte (the most common case)
// or any one in five; the clock and the render times are steps forward from the last, so
// that what the fuzzer changes mostly gets past the checks into the game.
struct Input {
  const unsigned char* p;
  size_t n;

  int Byte() { return n > 0 ? (--n, *p++) : 0; }
  uint32_t Raw() {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(Byte()) << (8 * i);
    return bits;
  }
  int Int() {
    int b = Byte();
    return b < 0xF0 ? b - 0x40 : static_cast<int>(Raw());
  }
  float Float() {
    int b = Byte();
    if (b < 0xF0) return (b - 0x78) / 64.0f;
    uint32_t bits = Raw();
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
};

void WriteRun(Input in, const std::string& path) {
  KxReplayWriter writer;
  if (!writer.Open(path, "fz", 0)) std::abort();
  int clock[KxReplayKindCount] = {};
  while (in.n > 0) {
    // Every kind but the end, which the writer adds.
    int kind = 1 + in.Byte() % (KxReplayKindCount - 2);
    const KxReplayShape& shape = kx_replay_Shape(kind);
    KxReplayEntry entry(kind);
    int ints = shape.counted == 1 ? 5 * (in.Byte() % 8) : shape.ints;
    int floats = shape.counted == 2 && in.Byte() % 2 == 0 ? 0 : shape.floats;
    for (int i = 0; i < ints; ++i) {
      int value = in.Int();
      if (kind == KxReplayRender || kind == KxReplayMillisecs) {
        value = clock[kind] =
            static_cast<int>(static_cast<uint32_t>(clock[kind]) + static_cast<uint32_t>(value));
      }
      entry.ints.push_back(value);
    }
    for (int i = 0; i < floats; ++i) entry.floats.push_back(in.Float());
    if (shape.text) {
      std::vector<Char> units(static_cast<size_t>(in.Byte()));
      for (Char& unit : units) unit = static_cast<Char>(in.Byte());
      entry.text = String(units.data(), static_cast<int>(units.size()));
    }
    if (!writer.Put(entry)) std::abort();
  }
  if (!writer.Close(String())) std::abort();
}

// The program's verifying host, without the images: decoding them for every input would only
// slow the search down.
class Host : public KxReplayGame {
 public:
  Host() : KxReplayGame(false) {}
  unsigned char* LoadImageData(String, int*, int*, int*) override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  kx_graphics_gl = kx_graphics_NullGl();
  kx_replay_digest = kx_Skarblit_Digest;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size == 0) return 0;
  std::string path = fuzz::WriteInput(".skr", data + 1, size - 1);
  if ((data[0] & 1) == 0) WriteRun(Input{data + 1, size - 1}, path);
  Host* host = new Host;
  int status = 2;
  if (host->Load(path, "fz", 0)) {
    // The program's start-up, but for the fault handlers and the collector's first lists,
    // which belong to the process.
    KxGame::_game = KxGlfwGame::_glfwGame = host;
    kxInit();
    gc_init2();
    kxMain();
    host->Run();
    status = host->ExitStatus();
  }
  KxGame::_game = KxGlfwGame::_glfwGame = nullptr;
  delete host;
  if (status < 0 || status > 2) std::abort();
  return 0;
}
