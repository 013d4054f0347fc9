// Shared set-up of the graphics tests: a private display with the host's window on it, a
// recorder of the draw calls that pass the OpenGL seam, pixel read-back and PNG files.
#pragma once
#include <string>
#include <vector>

#include "graphics/gl.h"
#include "graphics/graphics.h"

namespace gfxtest {

// Starts Xvfb and opens a 640x480 window through the host once per program; false when the
// display could not be started.
bool OpenWindow();
// Opens the window again (a new OpenGL context), as the full-screen toggle does.
void ReopenWindow();
// A device with its frame begun, white and opaque, and the graphics context reset on it.
gxtkGraphics* NewFrame();

struct DrawCall {
  GLenum mode;
  int first;
  int count;  // vertices, or indices for indexed draws
  bool indexed;
};

// Records the draw calls and texture calls made through the seam while it lives; each is
// still forwarded to the driver unless `failTextureSize` makes the driver refuse it.
class GlRecorder {
 public:
  GlRecorder();
  ~GlRecorder();
  std::vector<DrawCall> draws;
  std::vector<GLuint> deleted;
  int generated = 0;
  std::vector<std::pair<int, int>> texImageSizes;
  // When set, texture allocations whose width is not a power of two report GL_INVALID_VALUE.
  bool refuseOddSizes = false;
  bool refusedPending = false;
};

// The pixel at (x, y) (y down) of the frame buffer as 0xAARRGGBB, read through the device.
unsigned int Pixel(gxtkGraphics* device, int x, int y);
// Red, green and blue of a pixel, each within `tolerance` of the expectation.
bool NearRgb(unsigned int argb, int r, int g, int b, int tolerance = 1);

// Writes an image file of `channels` bytes per pixel under the build tree; returns its path.
std::string WritePng(const std::string& name, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels);
// Writes arbitrary bytes under the build tree; returns the path.
std::string WriteBytes(const std::string& name, const std::string& bytes);

}  // namespace gfxtest
