// The graphics tests' display, window, seam recorder and file helpers.
#include "tests/graphics/harness.h"

#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>

#include "host/glfwgame.h"
#include "tests/support/xvfb.h"

namespace gfxtest {
namespace {

GlRecorder* rec = nullptr;
bool refusedPending = false;
const KxGlApi& Driver() { return kx_graphics_DriverGl(); }

void DrawArrays(GLenum mode, GLint first, GLsizei count) {
  rec->draws.push_back({mode, first, count});
  Driver().DrawArrays(mode, first, count);
}
void DrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  rec->draws.push_back({mode, 0, count});
  Driver().DrawElements(mode, count, type, indices);
}
void GenTextures(GLsizei n, GLuint* names) {
  rec->generated += n;
  Driver().GenTextures(n, names);
}
void DeleteTextures(GLsizei n, const GLuint* names) {
  rec->deleted.insert(rec->deleted.end(), names, names + n);
  Driver().DeleteTextures(n, names);
}
void TexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                GLenum format, GLenum type, const void* pixels) {
  rec->texSizes.push_back({w, h});
  refusedPending = rec->refuseOddSizes && (w & (w - 1)) != 0;
  if (!refusedPending)
    Driver().TexImage2D(target, level, internal, w, h, border, format, type, pixels);
}
GLenum GetError() {
  if (!refusedPending) return Driver().GetError();
  refusedPending = false;
  return GL_INVALID_VALUE;
}

}  // namespace

GlRecorder::GlRecorder() {
  rec = this;
  KxGlApi& gl = kx_graphics_gl;
  gl.DrawArrays = DrawArrays;
  gl.DrawElements = DrawElements;
  gl.GenTextures = GenTextures;
  gl.DeleteTextures = DeleteTextures;
  gl.TexImage2D = TexImage2D;
  gl.GetError = GetError;
}

GlRecorder::~GlRecorder() {
  kx_graphics_gl = Driver();
  rec = nullptr;
}

bool OpenWindow() {
  static kxtest::Xvfb* display = nullptr;
  if (display) return true;
  display = new kxtest::Xvfb;
  if (!display->Start() || !glfw2::Current()->Init()) return false;
  KxGlfwGame::_glfwGame = new KxGlfwGame;
  KxGame::_game = KxGlfwGame::_glfwGame;
  kx_graphics_Init();
  ReopenWindow();
  return true;
}

void ReopenWindow() { KxGlfwGame::_glfwGame->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false); }

gxtkGraphics* NewFrame() {
  gxtkGraphics* device = new gxtkGraphics;
  kx_graphics_SetGraphicsDevice(device);
  device->BeginRender();
  kx_graphics_BeginRender();
  device->Cls(0, 0, 0);
  return device;
}

unsigned int Rgb(gxtkGraphics* device, int x, int y) {
  Array<int> pixel(1);
  device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
  return static_cast<unsigned int>(pixel[0]) & 0xFFFFFF;
}

bool Near(unsigned int rgb, unsigned int want) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((rgb >> shift) & 255) - static_cast<int>((want >> shift) & 255)) >
        1) {
      return false;
    }
  }
  return true;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = std::string(KX_BINARY_DIR) + "/tests/graphics_" + name;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

std::string WritePng(const std::string& name, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels) {
  const std::string path = WriteFile(name, "");
  stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
  return path;
}

gxtkSurface* Checker(gxtkGraphics* device) {
  const std::vector<unsigned char> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  return device->LoadSurface(String(WritePng("checker.png", 2, 2, 3, rgb).c_str()));
}

}  // namespace gfxtest
