// The replay of the draw-command list checked against the pixels of a real window on a private
// X display.
#include <stb/stb_image_write.h>

#include <array>
#include <cstdlib>
#include <string>

#include "tests/game/shell/shell_fixture.h"
#include "tests/support/xvfb.h"

namespace shelltest {
namespace {

class ReplayPixelsTest : public ShellTest {
 protected:
  gxtkGraphics* device = nullptr;

  void SetUp() override {
    ShellTest::SetUp();
    Create();
    glfw2::Install(nullptr);
    ASSERT_TRUE(kxtest::SharedDisplay([] { return glfw2::Real()->Init() == glfw2::kTrue; },
                                      [] { glfw2::Real()->Terminate(); }))
        << "no private X display";
    OpenWindow(640, 480);
    app->p_CLS2D(0, 0, 255, 1);
  }
  void TearDown() override {
    glfw2::Current()->CloseWindow();
    ShellTest::TearDown();
  }
  void OpenWindow(int w, int h) {
    host->SetGlfwWindow(w, h, 8, 8, 8, 0, 0, 0, false);
    device = new gxtkGraphics;
    kx_graphics_SetGraphicsDevice(device);
  }
  // One render of the game into the window's back buffer, as the delegate brackets it.
  void Frame() {
    kx_app_ValidateDeviceWindow(true);
    device->BeginRender();
    kx_graphics_BeginRender();
    app->p_OnRender();
    kx_graphics_EndRender();
    device->EndRender();
  }
  unsigned int Rgb(int x, int y) {
    Array<int> pixel(1);
    device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
    return static_cast<unsigned int>(pixel[0]) & 0xFFFFFF;
  }
  // Each {x, y, rgb} as the window shows it.
  void Expect(std::initializer_list<std::array<int, 3>> pixels) {
    for (const auto& p : pixels) {
      EXPECT_EQ(Rgb(p[0], p[1]), static_cast<unsigned int>(p[2])) << p[0] << "," << p[1];
    }
  }
  // Each channel within 2 of the expectation (blending rounds alpha to 8 bits).
  static bool Near(unsigned int rgb, unsigned int want) {
    for (int shift = 0; shift < 24; shift += 8) {
      int d = static_cast<int>((rgb >> shift) & 255) - static_cast<int>((want >> shift) & 255);
      if (d < -2 || d > 2) return false;
    }
    return true;
  }
  // A solid yellow w x h picture with a centred handle in image slot `slot`.
  void SolidImage(int slot, int w, int h) {
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(w * h * 4));
    for (int i = 0; i < w * h * 4; ++i) bytes[i] = i % 4 == 2 ? 0 : 255;
    gxtkSurface* surface = new gxtkSurface;
    surface->SetData(bytes, w, h, 4);
    gc_assign(app->m_images[slot], (new c_Image)->m_new()->p_Init(surface, 1, 1));
  }
};

TEST_F(ReplayPixelsTest, ShapesLandWhereTheirRecordsSayAndAdditiveRecordsAdd) {
  Frame();
  EXPECT_EQ(Rgb(320, 240), 0x0000FFu);  // nothing but the clear rectangle
  app->p_SetCol(255, 0, 0, 1);
  app->p_SetRot(30);  // shapes ignore it
  app->p_Rect(10, 10, 20, 20);
  app->p_SetCol(0, 255, 0, 1);
  app->p_Oval(100, 100, 10, 20);
  Frame();
  // Inside the oval's box (90, 80)-(110, 120), but outside the ellipse in its corner.
  Expect({{11, 11, 0xFF0000}, {28, 28, 0xFF0000}, {31, 31, 0x0000FF}, {100, 82, 0x00FF00},
          {100, 118, 0x00FF00}, {91, 81, 0x0000FF}, {112, 100, 0x0000FF}});

  app->p_CLS2D(0, 0, 255, 1);
  app->p_SetCol(100, 0, 0, 1);
  app->p_Rect(0, 0, 100, 100);
  app->p_SetCol(0, 100, 0, 1);
  app->p_Rect(0, 0, 50, 100);
  app->m_blend = 3;
  app->p_Rect(50, 0, 50, 100);
  app->p_DrawImg(7, 20, 20, 0);  // an empty slot draws nothing
  Frame();
  Expect({{25, 50, 0x006400}, {75, 50, 0x646400}, {20, 20, 0x006400}});
}

TEST_F(ReplayPixelsTest, ImagesTurnAndScaleAboutTheirHandle) {
  SolidImage(5, 8, 4);
  app->m_imageScale = 1;
  app->p_SetSize(2);
  app->p_DrawImg(5, 100, 100, 0);  // 16 x 8 around (100, 100)
  app->p_SetRot(90);
  app->p_DrawImg(5, 200, 100, 0);  // turned: 8 x 16
  Frame();
  Expect({{106, 100, 0xFFFF00}, {100, 106, 0x0000FF}, {200, 106, 0xFFFF00}, {206, 100, 0x0000FF}});
}

TEST_F(ReplayPixelsTest, A1280x960WindowDoublesEverything) {
  OpenWindow(1280, 960);
  SolidImage(5, 8, 8);
  app->m_imageScale = 0.5f;  // the artwork of this size is loaded at twice the resolution
  app->p_SetCol(255, 0, 0, 1);
  app->p_Rect(10, 10, 20, 20);
  app->p_SetCol(255, 255, 255);
  app->p_DrawImg(5, 100, 100, 0);
  Frame();
  EXPECT_FLOAT_EQ(kx_Skarblit_jscrw, 640);
  // Eight pixels of the doubled artwork cover four virtual units, eight window pixels.
  Expect({{21, 21, 0xFF0000}, {58, 58, 0xFF0000}, {62, 62, 0x0000FF}, {197, 197, 0xFFFF00},
          {203, 203, 0xFFFF00}, {205, 205, 0x0000FF}});
}

// The loading screen as the window shows it; the picture is kept in the build tree to look at.
TEST_F(ReplayPixelsTest, LoadingScreen) {
  app->p_Reload();
  for (int i = 0; i < 8; ++i) app->p_Loader();
  Frame();
  Array<int> argb(640 * 480);
  device->ReadPixels(argb, 0, 0, 640, 480, 0, 640);
  std::vector<unsigned char> rgb;
  for (int i = 0; i < argb.Length(); ++i) {
    for (int shift : {16, 8, 0}) rgb.push_back(static_cast<unsigned char>(argb[i] >> shift));
  }
  std::string path = std::string(KX_BINARY_DIR) + "/tests/game_loading_screen.png";
  stbi_write_png(path.c_str(), 640, 480, 3, rgb.data(), 640 * 3);
  EXPECT_EQ(Rgb(5, 5), 0x282850u);           // background (40, 40, 80)
  EXPECT_TRUE(Near(Rgb(5, 240), 0xBB7C42u));    // the band, 0.7 over the background
  EXPECT_TRUE(Near(Rgb(320, 100), 0xD4D410u));  // the disc, 0.8 over the background
  EXPECT_NE(Rgb(320, 230), Rgb(5, 240));  // the logo covers the band's middle
}

}  // namespace
}  // namespace shelltest
