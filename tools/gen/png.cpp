// PNG encoding of cairo surfaces.
#include "tools/gen/png.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace gen {
namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<unsigned char>(v >> s));
}

void Chunk(Bytes& out, const char* type, const Bytes& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
  Put32(out, static_cast<uint32_t>(crc));
}

// Undoing the premultiplication of a faint pixel amplifies its rounding into noise that
// defeats compression; the colour of such a pixel is kept only as precisely as it can show
// (the error after premultiplying again stays within one level).
uint32_t Step(uint32_t alpha) {
  return alpha < 16 ? 32 : alpha < 32 ? 16 : alpha < 64 ? 8 : alpha < 128 ? 4 : 1;
}

// Cairo keeps ARGB in native-endian words with premultiplied colour; PNG wants RGBA bytes.
Bytes StraightRgba(cairo_surface_t* s, int w, int h) {
  const unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  Bytes rgba(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; y++) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; x++) {
      uint32_t p = row[x], a = p >> 24;
      unsigned char* o = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      uint32_t q = Step(a);
      for (int c = 0; c < 3; c++) {
        uint32_t v = (p >> (16 - 8 * c)) & 0xff;
        uint32_t straight = a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0;
        o[c] = static_cast<unsigned char>(std::min<uint32_t>(255, (straight + q / 2) / q * q));
      }
      o[3] = static_cast<unsigned char>(a);
    }
  }
  return rgba;
}

int Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

int Predict(int filter, int a, int b, int c) {
  switch (filter) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) / 2;
    case 4: return Paeth(a, b, c);
    default: return 0;
  }
}

// Filters every row with the filter whose output has the smallest sum of magnitudes.
Bytes Filter(const Bytes& rgba, int w, int h) {
  size_t line = static_cast<size_t>(w) * 4;
  Bytes out((line + 1) * h);
  Bytes zero(line, 0);
  for (int y = 0; y < h; y++) {
    const unsigned char* cur = &rgba[y * line];
    const unsigned char* up = y ? &rgba[(y - 1) * line] : zero.data();
    long cost[5] = {0, 0, 0, 0, 0};
    for (size_t i = 0; i < line; i++) {
      int a = i >= 4 ? cur[i - 4] : 0, b = up[i], c = i >= 4 ? up[i - 4] : 0;
      for (int f = 0; f < 5; f++)
        cost[f] += std::abs(static_cast<signed char>(cur[i] - Predict(f, a, b, c)));
    }
    int best = static_cast<int>(std::min_element(cost, cost + 5) - cost);
    unsigned char* o = &out[y * (line + 1)];
    o[0] = static_cast<unsigned char>(best);
    for (size_t i = 0; i < line; i++) {
      int a = i >= 4 ? cur[i - 4] : 0, b = up[i], c = i >= 4 ? up[i - 4] : 0;
      o[i + 1] = static_cast<unsigned char>(cur[i] - Predict(best, a, b, c));
    }
  }
  return out;
}

}  // namespace

bool WritePng(cairo_surface_t* s, const std::string& path) {
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  Bytes raw = Filter(StraightRgba(s, w, h), w, h);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    return false;
  packed.resize(packedSize);
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes header;
  Put32(header, static_cast<uint32_t>(w));
  Put32(header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive, no interlace
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", packed);
  Chunk(file, "IEND", {});
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace gen
