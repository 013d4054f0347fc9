// A whole scene through the drawing functions, also saved as a picture for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/graphics/harness.h"

namespace {

// A 24x24 arrow pointing right, written into a surface pixel by pixel.
c_Image* Arrow(gxtkGraphics* device) {
  gxtkSurface* surface = device->CreateSurface(24, 24);
  Array<int> argb(24 * 24);
  for (int i = 0; i < 24 * 24; ++i) {
    const int x = i % 24, y = i / 24;
    const bool inside = (y >= 10 && y < 14 && x < 16) || (x >= 12 && std::abs(y - 12) <= 23 - x);
    argb[i] = inside ? static_cast<int>(0xFFFFC040u) : 0;
  }
  device->WritePixels2(surface, argb, 0, 0, 24, 24, 0, 24);
  return (new c_Image)->m_new()->p_Init(surface, 1, 1);
}

TEST(SceneTest, ImagesOvalsLinesAndRotatedSpritesMakeAPicture) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  gxtkGraphics* d = gfxtest::NewFrame();
  d->Cls(16, 24, 48);
  c_Image* arrow = Arrow(d);
  kx_graphics_SetColor(40, 90, 200);
  kx_graphics_DrawRect(20, 20, 600, 440);
  kx_graphics_SetColor(255, 80, 80);
  for (int i = 0; i < 8; ++i) kx_graphics_DrawEllipse(80 + i * 64, 80, 10 + i * 3, 20);
  kx_graphics_SetColor(255, 255, 255);
  for (int i = 0; i <= 12; ++i) kx_graphics_DrawLine(40, 140 + i * 10, 600, 260 - i * 10);
  for (int i = 0; i < 12; ++i)
    kx_graphics_DrawImage2(arrow, 60 + i * 48, 320, i * 30.0f, 1 + i * 0.1f, 1 + i * 0.1f, 0);
  kx_graphics_SetAlpha(0.5f);
  kx_graphics_SetColor(0, 255, 0);
  kx_graphics_DrawEllipse(320, 410, 200, 40);
  kx_graphics_SetBlend(1);
  kx_graphics_SetAlpha(1);
  kx_graphics_SetColor(200, 0, 0);
  kx_graphics_DrawEllipse(380, 410, 60, 30);
  d->EndRender();

  Array<int> frame(640 * 480);
  d->ReadPixels(frame, 0, 0, 640, 480, 0, 640);
  std::vector<unsigned char> rgb(640 * 480 * 3);
  for (int i = 0; i < 640 * 480 * 3; ++i)
    rgb[i] = static_cast<unsigned char>(frame[i / 3] >> (16 - i % 3 * 8));
  gfxtest::WritePng("scene.png", 640, 480, 3, rgb);
  auto at = [&frame](int x, int y) {
    return static_cast<unsigned int>(frame[y * 640 + x]) & 0xFFFFFF;
  };
  EXPECT_EQ(at(5, 5), 0x101830u);
  EXPECT_EQ(at(80, 80), 0xFF5050u);
  EXPECT_EQ(at(60, 320), 0xFFC040u);
  // Half-transparent green over blue, then additive red on top of that.
  EXPECT_TRUE(gfxtest::Near(at(250, 410), 0x14AC64u));
  EXPECT_TRUE(gfxtest::Near(at(380, 410), 0xDCAC64u));
}

}  // namespace
