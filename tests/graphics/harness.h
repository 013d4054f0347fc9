// Shared set-up of the graphics tests: a private display with the host's window on it, a
// recorder of the calls that pass the OpenGL seam, pixel read-back and picture files.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "graphics/gl.h"
#include "graphics/graphics.h"

namespace gfxtest {

// Starts Xvfb and opens the 640x480 window through the host, once per program (both go when
// its tests have run); false when the display could not be started.
bool OpenWindow();
// Opens the window again (a new OpenGL context), as the full-screen toggle does.
void ReopenWindow();
// A new device with its frame and the context's frame begun, cleared to black.
gxtkGraphics* NewFrame();

struct DrawCall {
  GLenum mode;
  int first;  // first vertex of an array draw: 0 starts a new batch
  int count;  // vertices, or indices for the indexed quad draws
};

// While alive, records what passes the seam (and still forwards it to the driver).
struct GlRecorder {
  GlRecorder();
  ~GlRecorder();
  std::vector<DrawCall> draws;
  int generated = 0;
  std::vector<GLuint> deleted;
  std::vector<std::pair<int, int>> texSizes;
  // Texture allocations of a width that is not a power of two then fail with GL_INVALID_VALUE.
  bool refuseOddSizes = false;
};

// The colour at (x, y) (y down) as 0xRRGGBB, read back through the device.
unsigned int Rgb(gxtkGraphics* device, int x, int y);
// The spots of `want`, each {x, y, 0xRRGGBB}, that read back otherwise, as "x,y=rrggbb ";
// empty when all match.
std::string Misses(gxtkGraphics* device, std::initializer_list<std::array<int, 3>> want);

// The window open and a fresh frame begun on `d`.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindow()) << "no private X display";
    d = NewFrame();
  }
  std::string Misses(std::initializer_list<std::array<int, 3>> want) {
    return gfxtest::Misses(d, want);
  }
  gxtkGraphics* d = nullptr;
};

// A 2x2 surface loaded from a picture: red, green / blue, white.
gxtkSurface* Checker(gxtkGraphics* device);

// Writes bytes, or a PNG of `channels` bytes per pixel, under the build tree; returns the path.
std::string WriteFile(const std::string& name, const std::string& bytes);
std::string WritePng(const std::string& name, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels);

}  // namespace gfxtest
