// Surfaces: premultiplication at load, texture creation per window, partial uploads, release.
#include "graphics/surface.h"

#include <cstdlib>

#include "graphics/gl.h"
#include "host/glfw2.h"

namespace {

int FormatForDepth(int depth) {
  switch (depth) {
    case 1:
      return GL_LUMINANCE;
    case 2:
      return GL_LUMINANCE_ALPHA;
    case 3:
      return GL_RGB;
    default:
      return GL_RGBA;
  }
}

// Multiplies the colour bytes of each pixel by its last (alpha) byte.
void Premultiply(unsigned char* p, size_t pixels, int depth) {
  if (depth != 2 && depth != 4) return;
  for (size_t i = 0; i < pixels; ++i, p += depth) {
    int a = p[depth - 1];
    for (int c = 0; c < depth - 1; ++c) p[c] = static_cast<unsigned char>(p[c] * a / 255);
  }
}

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

// Allocates the bound texture; when the driver refuses the size, retries at powers of two.
// Stores the size actually allocated.
void AllocateTexture(int width, int height, int format, int* texWidth, int* texHeight) {
  const KxGlApi& gl = kx_graphics_gl;
  // Errors left by earlier calls must not pass for a refusal of this size.
  for (int i = 0; i < 16 && gl.GetError() != GL_NO_ERROR; ++i) continue;
  *texWidth = width;
  *texHeight = height;
  gl.TexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
  if (gl.GetError() == GL_NO_ERROR) return;
  *texWidth = PowerOfTwoAtLeast(width);
  *texHeight = PowerOfTwoAtLeast(height);
  gl.TexImage2D(GL_TEXTURE_2D, 0, format, *texWidth, *texHeight, 0, format, GL_UNSIGNED_BYTE,
                nullptr);
}

}  // namespace

gxtkSurface::~gxtkSurface() { Discard(); }

void gxtkSurface::Discard() {
  if (seq != -1 && seq == glfwGraphicsSeq) {
    kx_graphics_gl.DeleteTextures(1, &texture);
    seq = -1;
  }
  free(data);
  data = nullptr;
}

int gxtkSurface::Width() { return width; }

int gxtkSurface::Height() { return height; }

bool gxtkSurface::Loaded() { return true; }

void gxtkSurface::OnUnsafeLoadComplete() { Bind(); }

void gxtkSurface::SetData(unsigned char* bytes, int w, int h, int d) {
  free(data);
  data = bytes;
  width = w;
  height = h;
  depth = d;
  format = FormatForDepth(d);
  Premultiply(data, static_cast<size_t>(w) * static_cast<size_t>(h), d);
}

void gxtkSurface::SetSubData(int x, int y, int w, int h, const unsigned int* pixels, int pitch) {
  if (format != GL_RGBA || w <= 0 || h <= 0) return;
  if (x < 0 || y < 0 || x > width - w || y > height - h) return;
  if (!data) {
    data = static_cast<unsigned char*>(calloc(static_cast<size_t>(width) * height, 4));
    if (!data) return;
  }
  for (int row = 0; row < h; ++row) {
    const unsigned int* src = pixels + static_cast<ptrdiff_t>(row) * pitch;
    unsigned char* dst = data + (static_cast<size_t>(y + row) * width + x) * 4;
    for (int col = 0; col < w; ++col, dst += 4) {
      unsigned int argb = src[col];
      unsigned int a = argb >> 24;
      dst[0] = static_cast<unsigned char>(((argb >> 16) & 0xff) * a / 255);
      dst[1] = static_cast<unsigned char>(((argb >> 8) & 0xff) * a / 255);
      dst[2] = static_cast<unsigned char>((argb & 0xff) * a / 255);
      dst[3] = static_cast<unsigned char>(a);
    }
  }
  if (seq != glfwGraphicsSeq) return;
  const KxGlApi& gl = kx_graphics_gl;
  gl.BindTexture(GL_TEXTURE_2D, texture);
  gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (w == width) {
    gl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                     data + static_cast<size_t>(y) * width * 4);
    return;
  }
  for (int row = 0; row < h; ++row) {
    gl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y + row, w, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                     data + (static_cast<size_t>(y + row) * width + x) * 4);
  }
}

void gxtkSurface::Bind() {
  if (glfwGraphicsSeq == 0) return;
  const KxGlApi& gl = kx_graphics_gl;
  if (seq == glfwGraphicsSeq) {
    gl.BindTexture(GL_TEXTURE_2D, texture);
    return;
  }
  seq = glfwGraphicsSeq;
  gl.GenTextures(1, &texture);
  gl.BindTexture(GL_TEXTURE_2D, texture);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  int texWidth, texHeight;
  AllocateTexture(width, height, format, &texWidth, &texHeight);
  uscale = 1.0f / texWidth;
  vscale = 1.0f / texHeight;
  if (!data) return;
  gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
}
