// Fuzz inputs handed to loaders that take a path: each process writes them to one file of its
// own (under TMPDIR) with the ending the loader picks its decoder by.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

inline std::string WriteInput(const char* ending, const unsigned char* data, size_t size) {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp ? tmp : "/tmp") + "/kxfuzz-" + std::to_string(getpid()) +
                     ending;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

// Touches every byte a loader claims to have returned, so a short block shows up under ASan.
inline unsigned Checksum(const unsigned char* bytes, long long count) {
  unsigned sum = 0;
  for (long long i = 0; i < count; ++i) sum = sum * 31 + bytes[i];
  return sum;
}

}  // namespace fuzz
