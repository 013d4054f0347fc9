// Fuzz inputs handed to the host's loaders, which take a path: each process writes them to one
// file of its own (under TMPDIR) with the ending the loader picks its decoder by.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/glfwgame.h"

namespace fuzz {

inline std::string WriteInput(const char* ending, const unsigned char* data, size_t size) {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp ? tmp : "/tmp") + "/kxfuzz-" + std::to_string(getpid()) +
                     ending;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size)) std::abort();
  std::fclose(file);
  return path;
}

// Touches every byte a loader claims to have returned, so a short block shows up under ASan.
inline unsigned Checksum(const unsigned char* bytes, long long count) {
  unsigned sum = 0;
  for (long long i = 0; i < count; ++i) sum = sum * 31 + bytes[i];
  return sum;
}

struct AudioResult {
  int length = -1, channels = -1, bytes = -1, rate = -1;
};

// The audio loading path: the input goes through LoadAudioData as a file with the given ending;
// aborts when what comes back has an impossible shape or `fits` refuses it, so whatever comes
// back must describe a block it really holds.
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
