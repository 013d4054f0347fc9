// The host's image loading path: any bytes in a ".png" file give either nothing or width x
// height pixels of 1 to 4 readable bytes each.
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static KxGlfwGame host;
  std::string path = fuzz::WriteInput(".png", data, size);
  int width = -1, height = -1, depth = -1;
  unsigned char* pixels = host.LoadImageData(String::FromUtf8(path), &width, &height, &depth);
  if (!pixels) return 0;
  if (width <= 0 || height <= 0 || depth < 1 || depth > 4) std::abort();
  fuzz::Checksum(pixels, static_cast<long long>(width) * height * depth);
  free(pixels);
  return 0;
}
