// A WAV file read as the game reads it: the host's reader, 16-bit samples only.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/audiodata.h"

namespace kxtest {

struct Wav {
  int channels = 0, rate = 0;
  std::vector<short> samples;
};

inline bool ReadWav(const std::string& path, Wav* out) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  int frames = 0, bytes = 0;
  unsigned char* data = LoadWAV(file, &frames, &out->channels, &bytes, &out->rate);
  std::fclose(file);
  const short* samples = reinterpret_cast<const short*>(data);
  if (data && bytes == 2) out->samples.assign(samples, samples + frames * out->channels);
  std::free(data);
  return !out->samples.empty();
}

}  // namespace kxtest
