// Shared set-up of the graphics tests: a private display with the host's window on it, a
// recorder of the calls that pass the OpenGL seam, pixel read-back and picture files in a
// folder removed when the program ends.
#pragma once
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "graphics/gl.h"
#include "graphics/graphics.h"
#include "host/glfwgame.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace gfxtest {

// Opens the window again (a new OpenGL context), as the full-screen toggle does.
inline void ReopenWindow() {
  KxGlfwGame::_glfwGame->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
}

// Starts Xvfb and opens the 640x480 window through the host, once per program (both go when
// its tests have run); false when the display could not be started.
inline bool OpenWindow() {
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

// A new device with its frame and the context's frame begun, cleared to black.
inline gxtkGraphics* NewFrame() {
  gxtkGraphics* device = new gxtkGraphics;
  kx_graphics_SetGraphicsDevice(device);
  device->BeginRender();
  kx_graphics_BeginRender();
  device->Cls(0, 0, 0);
  return device;
}

struct DrawCall {
  GLenum mode;
  int first;  // first vertex of an array draw: 0 starts a new batch
  int count;  // vertices, or indices for the indexed quad draws
};

// While alive, records what passes the seam (and still forwards it to the driver).
struct GlRecorder {
  std::vector<DrawCall> draws;
  std::vector<GLuint> deleted;
  std::vector<std::pair<int, int>> texSizes;
  // Texture allocations of a width that is not a power of two then fail with GL_INVALID_VALUE.
  bool refuseOddSizes = false;

  static inline GlRecorder* rec = nullptr;
  static inline bool refused = false;  // the last allocation, until GetError tells it
  static const KxGlApi& Driver() { return kx_graphics_DriverGl(); }

  GlRecorder() {
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
    gl.DeleteTextures = [](GLsizei n, const GLuint* names) {
      rec->deleted.insert(rec->deleted.end(), names, names + n);
      Driver().DeleteTextures(n, names);
    };
    gl.TexImage2D = [](GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h,
                       GLint border, GLenum format, GLenum type, const void* pixels) {
      rec->texSizes.push_back({w, h});
      refused = rec->refuseOddSizes && (w & (w - 1)) != 0;
      if (refused) return;
      Driver().TexImage2D(target, level, internal, w, h, border, format, type, pixels);
    };
    gl.GetError = []() -> GLenum {
      if (!refused) return Driver().GetError();
      refused = false;
      return GL_INVALID_VALUE;
    };
  }
  ~GlRecorder() {
    kx_graphics_gl = Driver();
    rec = nullptr;
  }
};

// The colour at (x, y) (y down) as 0xRRGGBB, read back through the device.
inline unsigned int Rgb(gxtkGraphics* device, int x, int y) {
  Array<int> pixel(1);
  device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
  return static_cast<unsigned int>(pixel[0]) & 0xFFFFFF;
}

// The window open and a fresh frame begun on `d`.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindow()) << "no private X display";
    d = NewFrame();
  }
  // The spots of `want`, each {x, y, 0xRRGGBB}, that read back otherwise, as "x,y=rrggbb ";
  // empty when all match.
  std::string Misses(std::initializer_list<std::array<int, 3>> want) {
    std::string misses;
    char text[32];
    for (const auto& spot : want) {
      const unsigned int rgb = Rgb(d, spot[0], spot[1]);
      snprintf(text, sizeof text, "%d,%d=%06x ", spot[0], spot[1], rgb);
      if (rgb != static_cast<unsigned int>(spot[2])) misses += text;
    }
    return misses;
  }
  gxtkGraphics* d = nullptr;
};

// A folder of the program's own, removed when it ends.
inline const std::string& Scratch() {
  static const struct Dir {
    const std::string path = kxtest::MakeTempDir("kxgraphics");
    ~Dir() { std::filesystem::remove_all(path); }
  } dir;
  return dir.path;
}

// Writes a PNG of `channels` bytes per pixel into the scratch folder; returns the path.
inline std::string WritePng(const std::string& name, int width, int height, int channels,
                            const std::vector<unsigned char>& pixels) {
  const std::string path = Scratch() + "/" + name;
  stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
  return path;
}

// A 2x2 surface loaded from a picture: red, green / blue, white.
inline gxtkSurface* Checker(gxtkGraphics* device) {
  const std::vector<unsigned char> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  return device->LoadSurface(String(WritePng("checker.png", 2, 2, 3, rgb).c_str()));
}

}  // namespace gfxtest
