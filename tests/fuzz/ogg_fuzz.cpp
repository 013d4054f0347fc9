// The host's audio loading path for an ".ogg" file: any bytes give either nothing or a block of
// 16-bit samples as long as the reported length and channel count say.
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  fuzz::LoadAudio(".ogg", data, size,
                  [](const fuzz::AudioResult& r) { return r.length > 0 && r.bytes == 2; });
  return 0;
}
