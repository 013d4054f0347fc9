// Decoding image files into pixels for the graphics module's surfaces.
#include <stb/stb_image.h>

#include "host/glfwgame.h"

namespace {

// Headers are checked against these before anything is decoded, so a file that claims
// enormous dimensions is refused without the decoder reserving memory for them.
const int kMaxImageSide = 16384;
const long long kMaxImageBytes = 256LL << 20;

bool PlausibleSize(int width, int height, int depth) {
  if (width <= 0 || height <= 0 || depth < 1 || depth > 4) return false;
  if (width > kMaxImageSide || height > kMaxImageSide) return false;
  return static_cast<long long>(width) * height * depth <= kMaxImageBytes;
}

}  // namespace

unsigned char* KxGlfwGame::LoadImageData(String path, int* width, int* height, int* depth) {
  FILE* file = OpenFile(path, String("rb"));
  if (!file) return nullptr;
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = nullptr;
  if (stbi_info_from_file(file, &w, &h, &channels) && PlausibleSize(w, h, channels)) {
    pixels = stbi_load_from_file(file, &w, &h, &channels, 0);
  }
  fclose(file);
  if (!pixels) return nullptr;
  *width = w;
  *height = h;
  *depth = channels;
  gc_ext_malloced(w * h * channels);
  return pixels;
}
