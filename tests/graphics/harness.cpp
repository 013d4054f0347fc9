// The graphics tests' display, window, seam recorder and file helpers.
#include "tests/graphics/harness.h"

#include <stb/stb_image_write.h>

#include <cstdio>

#include "host/glfwgame.h"
#include "tests/support/xvfb.h"

namespace gfxtest {
namespace {

GlRecorder* rec = nullptr;
bool refusedPending = false;
const KxGlApi& Driver() { return kx_graphics_DriverGl(); }

}  // namespace

GlRecorder::GlRecorder() {
  rec = this;
  KxGlApi& gl = kx_graphics_gl;
  gl.DrawArrays = [](GLenum mode, GLint first, GLsizei count) {
    rec->draws.push_back({mode, first, count});
    Driver().DrawArrays(mode, first, count);
  };
  gl.DrawElements = [](GLenum mode, GLsizei count, GLenum type, const void* indices) {
    rec->draws.push_back({mode, 0, count});
    Driver().DrawElements(mode, count, type, indices);
  };
  gl.GenTextures = [](GLsizei n, GLuint* names) {
    rec->generated += n;
    Driver().GenTextures(n, names);
  };
  gl.DeleteTextures = [](GLsizei n, const GLuint* names) {
    rec->deleted.insert(rec->deleted.end(), names, names + n);
    Driver().DeleteTextures(n, names);
  };
  gl.TexImage2D = [](GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h,
                     GLint border, GLenum format, GLenum type, const void* pixels) {
    rec->texSizes.push_back({w, h});
    refusedPending = rec->refuseOddSizes && (w & (w - 1)) != 0;
    if (!refusedPending)
      Driver().TexImage2D(target, level, internal, w, h, border, format, type, pixels);
  };
  gl.GetError = []() -> GLenum {
    if (!refusedPending) return Driver().GetError();
    refusedPending = false;
    return GL_INVALID_VALUE;
  };
}

GlRecorder::~GlRecorder() {
  kx_graphics_gl = Driver();
  rec = nullptr;
}

bool OpenWindow() {
  return kxtest::SharedDisplay(
      [] {
        if (!glfw2::Real()->Init()) return false;
        KxGame::_game = KxGlfwGame::_glfwGame = new KxGlfwGame;
        kx_graphics_Init();
        ReopenWindow();
        return true;
      },
      [] { glfw2::Real()->Terminate(); });
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

std::string Misses(gxtkGraphics* device, std::initializer_list<std::array<int, 3>> want) {
  std::string misses;
  char text[32];
  for (const auto& spot : want) {
    const unsigned int rgb = Rgb(device, spot[0], spot[1]);
    snprintf(text, sizeof text, "%d,%d=%06x ", spot[0], spot[1], rgb);
    if (rgb != static_cast<unsigned int>(spot[2])) misses += text;
  }
  return misses;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = std::string(KX_BINARY_DIR) + "/tests/graphics_" + name;
  kxtest::WriteFile(path, bytes);
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
