// The render device's batch without a driver: quads per second with and without a rotated
// matrix, and how many OpenGL calls a mix of primitives costs. Every OpenGL entry point is
// replaced by a counter, so only the device's own work is timed.
#include <benchmark/benchmark.h>

#include <cmath>

#include "graphics/gl.h"
#include "graphics/graphics.h"

namespace {

long long glCalls = 0;
long long drawCalls = 0;

template <typename... A>
void Count(A...) {
  ++glCalls;
}
template <typename... A>
void CountDraw(A...) {
  ++glCalls;
  ++drawCalls;
}
GLenum CountGetError() {
  ++glCalls;
  return GL_NO_ERROR;
}

void InstallCountingGl() {
  KxGlApi& gl = kx_graphics_gl;
  gl.Viewport = Count;
  gl.MatrixMode = Count;
  gl.LoadIdentity = Count;
  gl.Ortho = Count;
  gl.EnableClientState = Count;
  gl.VertexPointer = Count;
  gl.TexCoordPointer = Count;
  gl.ColorPointer = Count;
  gl.Enable = Count;
  gl.Disable = Count;
  gl.BlendFunc = Count;
  gl.Scissor = Count;
  gl.ClearColor = Count;
  gl.Clear = Count;
  gl.DrawArrays = CountDraw;
  gl.DrawElements = CountDraw;
  gl.ReadPixels = Count;
  gl.GenTextures = Count;
  gl.DeleteTextures = Count;
  gl.BindTexture = Count;
  gl.TexParameteri = Count;
  gl.TexImage2D = Count;
  gl.TexSubImage2D = Count;
  gl.PixelStorei = Count;
  gl.GetError = CountGetError;
}

gxtkGraphics* NewDevice() {
  InstallCountingGl();
  gxtkGraphics* device = new gxtkGraphics;
  device->BeginRender();
  device->SetColor(255, 255, 255);
  device->SetAlpha(1);
  return device;
}

// 16x16 sprites from a sheet, as the game draws them; argument 1 turns the matrix by 30 degrees.
void BM_SpriteQuads(benchmark::State& state) {
  gxtkGraphics* device = NewDevice();
  gxtkSurface* sheet = device->CreateSurface(256, 256);
  const bool rotated = state.range(0) != 0;
  const float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
  for (auto _ : state) {
    for (int i = 0; i < 1024; ++i) {
      if (rotated) device->SetMatrix(c, -s, s, c, static_cast<float>(i & 511), 240);
      device->DrawSurface2(sheet, -8, -8, (i & 15) * 16, 0, 16, 16);
    }
    device->EndRender();
  }
  state.SetItemsProcessed(state.iterations() * 1024);
  state.SetLabel(rotated ? "rotated matrix" : "untransformed");
}
BENCHMARK(BM_SpriteQuads)->Arg(0)->Arg(1);

// 10,000 primitives in the proportions of a busy game frame: runs of sprites from one sheet,
// glyphs from the font, rectangles, lines and ovals, with occasional blend changes.
void DrawMixedFrame(gxtkGraphics* device, gxtkSurface* sprites, gxtkSurface* font) {
  int drawn = 0;
  for (int run = 0; drawn < 10000; ++run) {
    device->SetMatrix(1, 0, 0, 1, static_cast<float>(run % 7), 0);
    for (int i = 0; i < 12; ++i, ++drawn)
      device->DrawSurface2(sprites, i * 20.0f, 10, 16, 0, 16, 16);
    for (int i = 0; i < 24; ++i, ++drawn) device->DrawSurface2(font, i * 8.0f, 40, 8, 0, 8, 12);
    for (int i = 0; i < 3; ++i, ++drawn) device->DrawRect(i * 30.0f, 60, 20, 4);
    for (int i = 0; i < 2; ++i, ++drawn) device->DrawLine(0, 0, 100, i * 10.0f);
    device->DrawOval(100, 100, 24, 24);
    ++drawn;
    if (run % 10 == 0) device->SetBlend(run % 20 == 0 ? 1 : 0);
  }
  device->EndRender();
}

void BM_GlCallsPerTenThousandMixed(benchmark::State& state) {
  gxtkGraphics* device = NewDevice();
  gxtkSurface* sprites = device->CreateSurface(256, 256);
  gxtkSurface* font = device->CreateSurface(960, 12);
  long long frames = 0;
  glCalls = drawCalls = 0;
  for (auto _ : state) {
    DrawMixedFrame(device, sprites, font);
    ++frames;
  }
  state.counters["draw_calls"] = static_cast<double>(drawCalls) / frames;
  state.counters["gl_calls"] = static_cast<double>(glCalls) / frames;
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_GlCallsPerTenThousandMixed);

}  // namespace
