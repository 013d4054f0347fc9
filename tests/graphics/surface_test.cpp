// Surfaces: decoding and premultiplication, bad files, textures across re-opened windows and
// the power-of-two retry.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::NearRgb;
using gfxtest::Pixel;

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    device = gfxtest::NewFrame();
    device->Cls(0, 0, 0);
  }
  gxtkGraphics* device = nullptr;
};

// A 2x2 picture: red, green / blue, white.
std::string CheckerPng() {
  return gfxtest::WritePng("checker.png", 2, 2, 3,
                           {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The checker drawn 10 times enlarged at (x, y) shows its four colours.
void ExpectChecker(gxtkGraphics* device, int x, int y) {
  EXPECT_TRUE(NearRgb(Pixel(device, x + 5, y + 5), 255, 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, x + 15, y + 5), 0, 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, x + 5, y + 15), 0, 0, 255, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, x + 15, y + 15), 255, 255, 255, 0));
}

void DrawChecker(gxtkGraphics* device, gxtkSurface* surface, float x, float y) {
  device->SetMatrix(10, 0, 0, 10, x, y);
  device->DrawSurface(surface, 0, 0);
  device->SetMatrix(1, 0, 0, 1, 0, 0);
}

TEST_F(SurfaceTest, LoadingPremultipliesColourByAlpha) {
  gxtkSurface* rgba = device->LoadSurface(
      String(gfxtest::WritePng("rgba.png", 1, 1, 4, {200, 100, 50, 128}).c_str()));
  ASSERT_NE(rgba, nullptr);
  EXPECT_EQ(rgba->format, GL_RGBA);
  EXPECT_EQ(std::vector<int>(rgba->data, rgba->data + 4), (std::vector<int>{100, 50, 25, 128}));

  gxtkSurface* grey = device->LoadSurface(
      String(gfxtest::WritePng("grey_alpha.png", 1, 1, 2, {200, 128}).c_str()));
  ASSERT_NE(grey, nullptr);
  EXPECT_EQ(grey->format, GL_LUMINANCE_ALPHA);
  EXPECT_EQ(std::vector<int>(grey->data, grey->data + 2), (std::vector<int>{100, 128}));

  gxtkSurface* rgb = device->LoadSurface(String(CheckerPng().c_str()));
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->format, GL_RGB);
  EXPECT_EQ(rgb->data[4], 255) << "opaque formats are kept as decoded";

  // Pixels written later are premultiplied the same way and reach the texture.
  gxtkSurface* made = device->CreateSurface(1, 1);
  Array<int> argb(1);
  argb[0] = static_cast<int>(0x80FF6400u);
  device->WritePixels2(made, argb, 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(std::vector<int>(made->data, made->data + 4), (std::vector<int>{128, 50, 0, 128}));
  device->Cls(0, 0, 0);
  device->DrawSurface(made, 7, 7);
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 7, 7), 128, 50, 0, 0));
}

TEST_F(SurfaceTest, BadImageFilesGiveNull) {
  const std::string good = ReadFile(CheckerPng());
  std::string huge = good;  // the width and height fields of the header claim 200000 each
  const char big[4] = {0x00, 0x03, 0x0D, 0x40};
  huge.replace(16, 4, big, 4);
  huge.replace(20, 4, big, 4);
  std::string wide = good;  // 16000 x 16000 RGB: within the side limit, far too many bytes
  const char side[4] = {0x00, 0x00, 0x3E, (char)0x80};
  wide.replace(16, 4, side, 4);
  wide.replace(20, 4, side, 4);
  const std::string files[] = {
      gfxtest::WriteBytes("empty.png", ""),
      gfxtest::WriteBytes("truncated.png", good.substr(0, good.size() / 2)),
      gfxtest::WriteBytes("corrupt.png", std::string("\x89PNG\r\n\x1a\n") + std::string(64, 'x')),
      gfxtest::WriteBytes("huge.png", huge),
      gfxtest::WriteBytes("wide.png", wide),
      gfxtest::WriteBytes("not_an_image.png", "just some text, not a picture\n"),
      std::string(KX_BINARY_DIR) + "/tests/graphics_missing.png",
  };
  for (const std::string& file : files) {
    EXPECT_EQ(device->LoadSurface(String(file.c_str())), nullptr) << file;
  }
  kx_graphics_SetGraphicsDevice(device);
  EXPECT_EQ(kx_graphics_LoadImage(String(files[3].c_str()), 1, 0), nullptr);
  EXPECT_EQ(kx_graphics_LoadImage2(String(files[1].c_str()), 1, 1, 1, 0), nullptr);
}

TEST_F(SurfaceTest, AReopenedWindowRebuildsTexturesFromKeptPixels) {
  gxtkSurface* surface = device->LoadSurface(String(CheckerPng().c_str()));
  ASSERT_NE(surface, nullptr);
  gfxtest::ReopenWindow();
  device = gfxtest::NewFrame();
  device->Cls(0, 0, 0);
  GlRecorder gl;
  DrawChecker(device, surface, 100, 100);
  device->EndRender();
  EXPECT_EQ(gl.generated, 1);
  ExpectChecker(device, 100, 100);
  // Drawn again in the same window, the texture is reused.
  DrawChecker(device, surface, 200, 100);
  device->EndRender();
  EXPECT_EQ(gl.generated, 1);
  ExpectChecker(device, 200, 100);
}

TEST_F(SurfaceTest, DiscardAfterReopenSparesTheNewContextsTextures) {
  gxtkSurface* old = device->LoadSurface(String(CheckerPng().c_str()));
  ASSERT_NE(old, nullptr);
  gfxtest::ReopenWindow();
  device = gfxtest::NewFrame();
  device->Cls(0, 0, 0);
  gxtkSurface* fresh = device->LoadSurface(String(CheckerPng().c_str()));
  ASSERT_NE(fresh, nullptr);
  GlRecorder gl;
  old->Discard();
  EXPECT_TRUE(gl.deleted.empty());
  EXPECT_EQ(old->data, nullptr);
  DrawChecker(device, fresh, 0, 0);
  device->EndRender();
  ExpectChecker(device, 0, 0);
  fresh->Discard();
  EXPECT_EQ(gl.deleted, std::vector<GLuint>{fresh->texture});
}

TEST_F(SurfaceTest, RefusedTextureSizesAreRetriedAtPowersOfTwo) {
  std::vector<unsigned char> pixels(50 * 20 * 3, 0);
  for (int i = 0; i < 50 * 20; ++i) pixels[i * 3 + 1] = 255;
  const std::string path = gfxtest::WritePng("odd.png", 50, 20, 3, pixels);
  GlRecorder gl;
  gl.refuseOddSizes = true;
  gxtkSurface* surface = device->LoadSurface(String(path.c_str()));
  ASSERT_NE(surface, nullptr);
  const std::vector<std::pair<int, int>> sizes = {{50, 20}, {64, 32}};
  EXPECT_EQ(gl.texImageSizes, sizes);
  EXPECT_FLOAT_EQ(surface->uscale, 1.0f / 64);
  EXPECT_FLOAT_EQ(surface->vscale, 1.0f / 32);
  device->DrawSurface(surface, 10, 10);
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 59, 29), 0, 255, 0, 0)) << "the padded texture's corner";
  EXPECT_TRUE(NearRgb(Pixel(device, 60, 30), 0, 0, 0, 0));
}

}  // namespace
