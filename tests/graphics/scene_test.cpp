// A whole scene through the drawing functions, saved as a picture for people to look at.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/graphics/harness.h"

namespace {

// A 24x24 arrow pointing right, drawn into a surface pixel by pixel.
c_Image* Arrow(gxtkGraphics* device) {
  gxtkSurface* surface = device->CreateSurface(24, 24);
  Array<int> argb(24 * 24);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      const bool shaft = y >= 10 && y < 14 && x < 16;
      const bool head = x >= 12 && std::abs(y - 12) <= 23 - x;
      argb[y * 24 + x] = shaft || head ? static_cast<int>(0xFFFFC040u) : 0;
    }
  }
  device->WritePixels2(surface, argb, 0, 0, 24, 24, 0, 24);
  return (new c_Image)->m_new()->p_Init(surface, 1, 1);
}

TEST(SceneTest, ImagesOvalsLinesAndRotatedSpritesMakeAPicture) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  gxtkGraphics* device = gfxtest::NewFrame();
  device->Cls(16, 24, 48);
  c_Image* arrow = Arrow(device);

  kx_graphics_SetColor(40, 90, 200);
  kx_graphics_DrawRect(20, 20, 600, 440);
  kx_graphics_SetColor(255, 80, 80);
  for (int i = 0; i < 8; ++i) kx_graphics_DrawEllipse(80 + i * 64, 80, 10 + i * 3, 20);
  kx_graphics_SetColor(255, 255, 255);
  for (int i = 0; i <= 12; ++i) kx_graphics_DrawLine(40, 140 + i * 10, 600, 260 - i * 10);
  kx_graphics_SetColor(255, 255, 255);
  for (int i = 0; i < 12; ++i) {
    kx_graphics_DrawImage2(arrow, 60 + i * 48, 320, i * 30.0f, 1 + i * 0.1f, 1 + i * 0.1f, 0);
  }
  kx_graphics_SetAlpha(0.5f);
  kx_graphics_SetColor(0, 255, 0);
  kx_graphics_DrawEllipse(320, 410, 200, 40);
  kx_graphics_SetBlend(1);
  kx_graphics_SetAlpha(1);
  kx_graphics_SetColor(200, 0, 0);
  kx_graphics_DrawEllipse(380, 410, 60, 30);
  kx_graphics_EndRender();
  device->EndRender();

  Array<int> frame(640 * 480);
  device->ReadPixels(frame, 0, 0, 640, 480, 0, 640);
  std::vector<unsigned char> rgb(640 * 480 * 3);
  for (int i = 0; i < 640 * 480; ++i) {
    const unsigned int p = static_cast<unsigned int>(frame[i]);
    rgb[i * 3] = static_cast<unsigned char>(p >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(p >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(p);
  }
  gfxtest::WritePng("scene.png", 640, 480, 3, rgb);

  EXPECT_TRUE(gfxtest::NearRgb(static_cast<unsigned int>(frame[5 * 640 + 5]), 16, 24, 48));
  EXPECT_TRUE(gfxtest::NearRgb(static_cast<unsigned int>(frame[80 * 640 + 80]), 255, 80, 80));
  EXPECT_TRUE(gfxtest::NearRgb(static_cast<unsigned int>(frame[320 * 640 + 60]), 255, 192, 64));
  // Half-transparent green over blue, then additive red on top of that.
  EXPECT_TRUE(gfxtest::NearRgb(static_cast<unsigned int>(frame[410 * 640 + 250]), 20, 172, 100));
  EXPECT_TRUE(gfxtest::NearRgb(static_cast<unsigned int>(frame[410 * 640 + 380]), 220, 172, 100));
}

}  // namespace
