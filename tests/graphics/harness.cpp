// The graphics tests' display, window, seam recorder and file helpers.
#include "tests/graphics/harness.h"

#include <stb/stb_image_write.h>

#include <cstdio>

#include "host/glfwgame.h"
#include "tests/support/xvfb.h"

namespace gfxtest {
namespace {

GlRecorder* recorder = nullptr;

void RecordDrawArrays(GLenum mode, GLint first, GLsizei count) {
  recorder->draws.push_back({mode, first, count, false});
  kx_graphics_DriverGl().DrawArrays(mode, first, count);
}

void RecordDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  recorder->draws.push_back({mode, 0, count, true});
  kx_graphics_DriverGl().DrawElements(mode, count, type, indices);
}

void RecordGenTextures(GLsizei n, GLuint* names) {
  recorder->generated += n;
  kx_graphics_DriverGl().GenTextures(n, names);
}

void RecordDeleteTextures(GLsizei n, const GLuint* names) {
  recorder->deleted.insert(recorder->deleted.end(), names, names + n);
  kx_graphics_DriverGl().DeleteTextures(n, names);
}

void RecordTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h,
                      GLint border, GLenum format, GLenum type, const void* pixels) {
  recorder->texImageSizes.push_back({w, h});
  if (recorder->refuseOddSizes && (w & (w - 1)) != 0) {
    recorder->refusedPending = true;
    return;
  }
  kx_graphics_DriverGl().TexImage2D(target, level, internal, w, h, border, format, type, pixels);
}

GLenum RecordGetError() {
  if (recorder->refusedPending) {
    recorder->refusedPending = false;
    return GL_INVALID_VALUE;
  }
  return kx_graphics_DriverGl().GetError();
}

std::string OutputPath(const std::string& name) {
  return std::string(KX_BINARY_DIR) + "/tests/graphics_" + name;
}

}  // namespace

GlRecorder::GlRecorder() {
  recorder = this;
  kx_graphics_gl.DrawArrays = RecordDrawArrays;
  kx_graphics_gl.DrawElements = RecordDrawElements;
  kx_graphics_gl.GenTextures = RecordGenTextures;
  kx_graphics_gl.DeleteTextures = RecordDeleteTextures;
  kx_graphics_gl.TexImage2D = RecordTexImage2D;
  kx_graphics_gl.GetError = RecordGetError;
}

GlRecorder::~GlRecorder() {
  kx_graphics_gl = kx_graphics_DriverGl();
  recorder = nullptr;
}

bool OpenWindow() {
  static kxtest::Xvfb* display = nullptr;
  if (display) return true;
  display = new kxtest::Xvfb;
  if (!display->Start()) return false;
  if (!glfw2::Current()->Init()) return false;
  KxGlfwGame* host = new KxGlfwGame;
  KxGame::_game = host;
  KxGlfwGame::_glfwGame = host;
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
  return device;
}

unsigned int Pixel(gxtkGraphics* device, int x, int y) {
  Array<int> pixel(1);
  device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
  return static_cast<unsigned int>(pixel[0]);
}

bool NearRgb(unsigned int argb, int r, int g, int b, int tolerance) {
  auto near = [tolerance](unsigned int have, int want) {
    int d = static_cast<int>(have & 0xff) - want;
    return d >= -tolerance && d <= tolerance;
  };
  return near(argb >> 16, r) && near(argb >> 8, g) && near(argb, b);
}

std::string WritePng(const std::string& name, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels) {
  std::string path = OutputPath(name);
  stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
  return path;
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
  std::string path = OutputPath(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

}  // namespace gfxtest
