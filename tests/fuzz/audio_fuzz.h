// The host's audio loading path under a fuzzer: the input goes through LoadAudioData as a file
// with the given ending; whatever comes back must describe a block it really holds.
#pragma once
#include <cstdlib>

#include "host/glfwgame.h"
#include "tests/fuzz/fuzz_file.h"

namespace fuzz {

struct AudioResult {
  int length = -1, channels = -1, bytes = -1, rate = -1;
};

// Loads the input; aborts on a block with an impossible shape, or when `fits` refuses it.
template <typename Fits>
void LoadAudio(const char* ending, const unsigned char* data, size_t size, Fits fits) {
  static KxGlfwGame host;
  AudioResult r;
  unsigned char* samples = host.LoadAudioData(String::FromUtf8(WriteInput(ending, data, size)),
                                              &r.length, &r.channels, &r.bytes, &r.rate);
  if (!samples) return;
  if (r.length < 0 || r.channels <= 0 || r.bytes <= 0 || r.rate <= 0 || !fits(r)) std::abort();
  Checksum(samples, static_cast<long long>(r.length) * r.channels * r.bytes);
  free(samples);
}

}  // namespace fuzz
