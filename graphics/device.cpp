// The batching render device.
#include "graphics/device.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "graphics/convert.h"
#include "graphics/gl.h"
#include "host/game.h"
#include "host/glfw2.h"
#include "runtime/kxmath.h"

namespace {

// Colour channel scaled and truncated; out-of-range products spill into the next byte.
unsigned int ColorByte(float v) { return static_cast<unsigned int>(kx_graphics_TruncInt(v)); }

// True when rows of `width` ints, `pitch` apart from `offset`, all lie inside the array and
// none overlaps the next. Overlapping rows would let a tiny array pass for any height, and the
// transfer's buffer is width x height.
bool RowsFit(Array<int> pixels, int width, int height, int offset, int pitch) {
  if (width <= 0 || height <= 0 || offset < 0 || pitch < width) return false;
  long long last = offset + static_cast<long long>(height - 1) * pitch + width;
  return last <= pixels.Length();
}

// Texture coordinates depend on the size the texture was given, so a surface whose texture
// does not exist in this window yet gets it before they are computed.
void PrepareTexture(gxtkSurface* surface) {
  if (surface->seq != glfwGraphicsSeq) surface->Bind();
}

}  // namespace

gxtkGraphics::gxtkGraphics() {
  ReadWindowSize();
  for (int q = 0; q < kMaxVertices / 4; ++q) {
    const int k = q * 4;
    const int quad[6] = {k, k + 1, k + 2, k, k + 2, k + 3};
    for (int i = 0; i < 6; ++i) quadIndices[q * 6 + i] = static_cast<unsigned short>(quad[i]);
  }
}

void gxtkGraphics::ReadWindowSize() { glfw2::Current()->GetWindowSize(&width, &height); }

int gxtkGraphics::Width() { return width; }

int gxtkGraphics::Height() { return height; }

int gxtkGraphics::BeginRender() {
  const KxGlApi& gl = kx_graphics_gl;
  ReadWindowSize();
  gl.Viewport(0, 0, width, height);
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadIdentity();
  gl.Ortho(0, width, height, 0, -1, 1);
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadIdentity();
  gl.EnableClientState(GL_VERTEX_ARRAY);
  gl.VertexPointer(2, GL_FLOAT, sizeof(KxVertex), &vertices[0].x);
  gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  gl.TexCoordPointer(2, GL_FLOAT, sizeof(KxVertex), &vertices[0].u);
  gl.EnableClientState(GL_COLOR_ARRAY);
  gl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(KxVertex), &vertices[0].color);
  gl.Enable(GL_BLEND);
  gl.BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  blendSet = 0;
  // The scissor test is left as it was; the first request of the frame is always sent.
  scissorKnown = false;
  gl.Disable(GL_TEXTURE_2D);
  primCount = 0;
  return 1;
}

void gxtkGraphics::EndRender() { Flush(); }

void gxtkGraphics::DiscardGraphics() {}

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
  gxtkSurface* surface = new gxtkSurface;
  if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
  surface->Bind();
  return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  gxtkSurface* surface = new gxtkSurface;
  surface->width = w;
  surface->height = h;
  surface->depth = 4;
  surface->format = GL_RGBA;
  surface->Bind();
  return surface;
}

bool gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
  if (!KxGame::_game) return false;
  int w = 0, h = 0, depth = 0;
  unsigned char* pixels = KxGame::_game->LoadImageData(path, &w, &h, &depth);
  if (!pixels) return false;
  surface->SetData(pixels, w, h, depth);
  return true;
}

void gxtkGraphics::Cls(float red, float green, float blue) {
  primCount = 0;
  kx_graphics_gl.ClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
  kx_graphics_gl.Clear(GL_COLOR_BUFFER_BIT);
}

void gxtkGraphics::UpdateColor() {
  colorARGB = ColorByte(alpha * 255.0f) << 24 | ColorByte(b * alpha) << 16 |
              ColorByte(g * alpha) << 8 | ColorByte(r * alpha);
}

void gxtkGraphics::SetAlpha(float a) {
  alpha = a;
  UpdateColor();
}

void gxtkGraphics::SetColor(float red, float green, float blue) {
  r = red;
  g = green;
  b = blue;
  UpdateColor();
}

void gxtkGraphics::SetBlend(int blend) {
  const int mode = blend == 1 ? 1 : 0;
  if (filterState && mode == blendSet) return;
  Flush();
  kx_graphics_gl.BlendFunc(GL_ONE, mode == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
  blendSet = mode;
}

void gxtkGraphics::SetScissor(int x, int y, int w, int h) {
  // Compared as OpenGL would hold it: the same request means another box after a resize.
  const bool on = !(x == 0 && y == 0 && w == Width() && h == Height());
  const int box[4] = {x, Height() - y - h, w, h};
  if (filterState && scissorKnown && on == scissorOn &&
      (!on || std::equal(box, box + 4, scissorBox))) {
    return;
  }
  Flush();
  scissorKnown = true;
  scissorOn = on;
  if (!on) {
    kx_graphics_gl.Disable(GL_SCISSOR_TEST);
    return;
  }
  std::copy(box, box + 4, scissorBox);
  kx_graphics_gl.Enable(GL_SCISSOR_TEST);
  kx_graphics_gl.Scissor(box[0], box[1], w, h);
}

void gxtkGraphics::SetMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
  ix = mix;
  iy = miy;
  jx = mjx;
  jy = mjy;
  tx = mtx;
  ty = mty;
  tformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
}

KxVertex* gxtkGraphics::Begin(int type, int count, gxtkSurface* surface) {
  if (primCount != 0 &&
      (type != primType || surface != primSurf || primCount + count > kMaxVertices)) {
    Flush();
  }
  if (primCount == 0) {
    primType = type;
    primSurf = surface;
  }
  KxVertex* first = vertices + primCount;
  primCount += count;
  return first;
}

void gxtkGraphics::Flush() {
  if (primCount == 0) return;
  const KxGlApi& gl = kx_graphics_gl;
  if (primSurf) {
    gl.Enable(GL_TEXTURE_2D);
    primSurf->Bind();
  }
  switch (primType) {
    case 1:
      gl.DrawArrays(GL_POINTS, 0, primCount);
      break;
    case 2:
      gl.DrawArrays(GL_LINES, 0, primCount);
      break;
    case 3:
      gl.DrawArrays(GL_TRIANGLES, 0, primCount);
      break;
    case 4:
      gl.DrawElements(GL_TRIANGLES, primCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
      break;
    default:
      for (int first = 0; first < primCount; first += primType) {
        gl.DrawArrays(GL_TRIANGLE_FAN, first, primType);
      }
  }
  if (primSurf) gl.Disable(GL_TEXTURE_2D);
  primCount = 0;
}

void gxtkGraphics::Put(KxVertex* v, float x, float y) const {
  if (tformed) {
    v->x = ix * x + jx * y + tx;
    v->y = iy * x + jy * y + ty;
  } else {
    v->x = x;
    v->y = y;
  }
  v->color = colorARGB;
}

void gxtkGraphics::DrawPoint(float x, float y) { Put(Begin(1, 1, nullptr), x, y); }

void gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
  KxVertex* v = Begin(2, 2, nullptr);
  Put(v, x1, y1);
  Put(v + 1, x2, y2);
}

void gxtkGraphics::DrawRect(float x, float y, float w, float h) {
  KxVertex* v = Begin(4, 4, nullptr);
  Put(v, x, y);
  Put(v + 1, x + w, y);
  Put(v + 2, x + w, y + h);
  Put(v + 3, x, y + h);
}

int gxtkGraphics::OvalSegments(float xr, float yr) const {
  double n;
  if (tformed) {
    n = std::nearbyint(xr * std::sqrt(ix * ix + iy * iy) + yr * std::sqrt(jx * jx + jy * jy));
  } else {
    n = std::nearbyint(std::fabs(xr)) + std::nearbyint(std::fabs(yr));
  }
  if (!(n >= 12)) return 12;
  if (n > kMaxVertices) return kMaxVertices;
  return static_cast<int>(n) & ~3;
}

void gxtkGraphics::DrawOval(float x, float y, float w, float h) {
  const float xr = w / 2.0f, yr = h / 2.0f;
  const int segments = OvalSegments(xr, yr);
  KxVertex* v = Begin(segments, segments, nullptr);
  for (int i = 0; i < segments; ++i) {
    const float theta = i * 6.2831855f / segments;
    Put(v + i, x + xr + static_cast<float>(kx_math_Cos(theta)) * xr,
        y + yr - static_cast<float>(kx_math_Sin(theta)) * yr);
  }
}

void gxtkGraphics::DrawPoly(Array<float> xy) {
  const int n = xy.Length() / 2;
  if (n < 1 || n > kMaxVertices) return;
  KxVertex* v = Begin(n, n, nullptr);
  for (int k = 0; k < n; ++k) Put(v + k, xy[2 * k], xy[2 * k + 1]);
}

void gxtkGraphics::DrawPoly2(Array<float> xyuv, gxtkSurface* surface, int srcx, int srcy) {
  const int n = xyuv.Length() / 4;
  if (n < 1 || n > kMaxVertices) return;
  PrepareTexture(surface);
  KxVertex* v = Begin(n, n, surface);
  for (int k = 0; k < n; ++k) {
    Put(v + k, xyuv[4 * k], xyuv[4 * k + 1]);
    v[k].u = (xyuv[4 * k + 2] + srcx) * surface->uscale;
    v[k].v = (xyuv[4 * k + 3] + srcy) * surface->vscale;
  }
}

void gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
  DrawSurface2(surface, x, y, 0, 0, surface->width, surface->height);
}

void gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy,
                                int srcw, int srch) {
  PrepareTexture(surface);
  const float u0 = srcx * surface->uscale, u1 = (srcx + srcw) * surface->uscale;
  const float v0 = srcy * surface->vscale, v1 = (srcy + srch) * surface->vscale;
  KxVertex* v = Begin(4, 4, surface);
  Put(v, x, y);
  Put(v + 1, x + srcw, y);
  Put(v + 2, x + srcw, y + srch);
  Put(v + 3, x, y + srch);
  v[0].u = u0, v[0].v = v0;
  v[1].u = u1, v[1].v = v0;
  v[2].u = u1, v[2].v = v1;
  v[3].u = u0, v[3].v = v1;
}

void gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset,
                              int pitch) {
  Flush();
  if (!RowsFit(pixels, w, h, offset, pitch)) return;
  std::vector<int> rows(static_cast<size_t>(w) * h);
  kx_graphics_gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
  kx_graphics_gl.ReadPixels(x, height - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
  int* out = pixels.Data();
  for (int r = 0; r < h; ++r) {
    const int* src = rows.data() + static_cast<size_t>(h - 1 - r) * w;
    int* dst = out + offset + static_cast<ptrdiff_t>(r) * pitch;
    for (int c = 0; c < w; ++c) dst[c] = src[c];
  }
}

void gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h,
                                int offset, int pitch) {
  Flush();
  if (!RowsFit(pixels, w, h, offset, pitch)) return;
  surface->SetSubData(x, y, w, h, reinterpret_cast<const unsigned int*>(pixels.Data() + offset),
                      pitch);
}
