// A strict little WAV reader for the tests: RIFF/WAVE with a "fmt " chunk before a "data"
// chunk that fits inside the file.
#pragma once
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace kxtest {

struct Wav {
  int format = 0, channels = 0, rate = 0, bits = 0, blockAlign = 0;
  std::vector<short> samples;
};

inline unsigned Le(const std::string& b, size_t at, int bytes) {
  unsigned v = 0;
  for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

inline bool ReadWav(const std::string& path, Wav* out) {
  std::string b = ReadFile(path);
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    std::string id = b.substr(at, 4);
    size_t size = Le(b, at + 4, 4), body = at + 8;
    if (body + size > b.size()) return false;
    if (id == "fmt " && size >= 16) {
      out->format = static_cast<int>(Le(b, body, 2));
      out->channels = static_cast<int>(Le(b, body + 2, 2));
      out->rate = static_cast<int>(Le(b, body + 4, 4));
      out->blockAlign = static_cast<int>(Le(b, body + 12, 2));
      out->bits = static_cast<int>(Le(b, body + 14, 2));
      haveFormat = true;
    } else if (id == "data" && haveFormat) {
      out->samples.resize(size / 2);
      for (size_t i = 0; i < out->samples.size(); i++)
        out->samples[i] = static_cast<short>(Le(b, body + 2 * i, 2));
      return size % 2 == 0;
    }
    at = body + size + (size & 1);
  }
  return false;
}

}  // namespace kxtest
