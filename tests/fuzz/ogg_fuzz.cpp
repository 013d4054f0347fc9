// The host's audio loading path for an ".ogg" file: any bytes give either nothing or a block of
// 16-bit samples as long as the reported length and channel count say.
#include <cstdlib>

#include "host/glfwgame.h"
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static KxGlfwGame host;
  std::string path = fuzz::WriteInput(".ogg", data, size);
  int length = -1, channels = -1, bytes = -1, rate = -1;
  unsigned char* samples =
      host.LoadAudioData(String::FromUtf8(path), &length, &channels, &bytes, &rate);
  if (!samples) return 0;
  if (length <= 0 || channels <= 0 || bytes != 2 || rate <= 0) std::abort();
  fuzz::Checksum(samples, static_cast<long long>(length) * channels * bytes);
  free(samples);
  return 0;
}
