// The host's audio loading path for a ".wav" file: any bytes give either nothing or exactly as
// many readable sample bytes as the reported length, channels and sample size say, never more
// than the file held.
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  fuzz::LoadAudio(".wav", data, size, [size](const fuzz::AudioResult& r) {
    return static_cast<long long>(r.length) * r.channels * r.bytes <= static_cast<long long>(size);
  });
  return 0;
}
