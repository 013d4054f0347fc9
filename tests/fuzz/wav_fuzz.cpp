// The host's audio loading path for a ".wav" file: any bytes give either nothing or exactly as
// many readable sample bytes as the reported length, channels and sample size say.
#include <cstdlib>

#include "host/glfwgame.h"
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static KxGlfwGame host;
  std::string path = fuzz::WriteInput(".wav", data, size);
  int length = -1, channels = -1, bytes = -1, rate = -1;
  unsigned char* samples =
      host.LoadAudioData(String::FromUtf8(path), &length, &channels, &bytes, &rate);
  if (!samples) return 0;
  long long total = static_cast<long long>(length) * channels * bytes;
  if (length < 0 || channels <= 0 || bytes <= 0 || rate <= 0 ||
      total > static_cast<long long>(size)) {
    std::abort();
  }
  fuzz::Checksum(samples, total);
  free(samples);
  return 0;
}
