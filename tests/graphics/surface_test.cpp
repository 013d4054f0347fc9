// Surfaces: decoding and premultiplication, bad files, textures across re-opened windows and
// the power-of-two retry.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::Rgb;

class GxtkSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    d = gfxtest::NewFrame();
  }
  gxtkSurface* Load(const std::string& path) { return d->LoadSurface(String(path.c_str())); }
  // Draws the checker ten times enlarged at (x, y) and expects its four colours there.
  void ExpectCheckerDrawn(gxtkSurface* checker, int x, int y) {
    d->SetMatrix(10, 0, 0, 10, x, y);
    d->DrawSurface(checker, 0, 0);
    d->EndRender();
    EXPECT_EQ(Rgb(d, x + 5, y + 5), 0xFF0000u);
    EXPECT_EQ(Rgb(d, x + 15, y + 5), 0x00FF00u);
    EXPECT_EQ(Rgb(d, x + 5, y + 15), 0x0000FFu);
    EXPECT_EQ(Rgb(d, x + 15, y + 15), 0xFFFFFFu);
  }
  gxtkGraphics* d = nullptr;
};

std::vector<int> Bytes(const gxtkSurface* s, int n) {
  return std::vector<int>(s->data, s->data + n);
}

TEST_F(GxtkSurfaceTest, ColourIsPremultipliedByAlphaAtLoad) {
  gxtkSurface* rgba = Load(gfxtest::WritePng("rgba.png", 1, 1, 4, {200, 100, 50, 128}));
  ASSERT_NE(rgba, nullptr);
  EXPECT_EQ(Bytes(rgba, 4), (std::vector<int>{100, 50, 25, 128}));
  gxtkSurface* grey = Load(gfxtest::WritePng("grey_alpha.png", 1, 1, 2, {200, 128}));
  ASSERT_NE(grey, nullptr);
  EXPECT_EQ(grey->format, GL_LUMINANCE_ALPHA);
  EXPECT_EQ(Bytes(grey, 2), (std::vector<int>{100, 128}));
  // Pixels written later are premultiplied the same way and reach the texture.
  gxtkSurface* made = d->CreateSurface(1, 1);
  Array<int> argb(1);
  argb[0] = static_cast<int>(0x80FF6400u);
  d->WritePixels2(made, argb, 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(Bytes(made, 4), (std::vector<int>{128, 50, 0, 128}));
  d->DrawSurface(made, 7, 7);
  d->EndRender();
  EXPECT_EQ(Rgb(d, 7, 7), 0x803200u);
}

TEST_F(GxtkSurfaceTest, BadImageFilesGiveNull) {
  std::ifstream in(gfxtest::WritePng("good.png", 2, 2, 3, std::vector<unsigned char>(12)));
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Headers claiming 200000 x 200000, and 16000 x 16000 (within any side limit, 768 MB).
  std::string huge = good, wide = good;
  huge.replace(16, 8, std::string("\x00\x03\x0D\x40\x00\x03\x0D\x40", 8));
  wide.replace(16, 8, std::string("\x00\x00\x3E\x80\x00\x00\x3E\x80", 8));
  const std::string files[] = {
      gfxtest::WriteFile("empty.png", ""),
      gfxtest::WriteFile("truncated.png", good.substr(0, good.size() / 2)),
      gfxtest::WriteFile("corrupt.png", "\x89PNG\r\n\x1a\n" + std::string(64, 'x')),
      gfxtest::WriteFile("huge.png", huge),
      gfxtest::WriteFile("wide.png", wide),
      gfxtest::WriteFile("missing.png", "") + ".absent",
  };
  for (const std::string& file : files) EXPECT_EQ(Load(file), nullptr) << file;
  EXPECT_EQ(kx_graphics_LoadImage(String(files[3].c_str()), 1, 0), nullptr);
  EXPECT_EQ(kx_graphics_LoadImage2(String(files[1].c_str()), 1, 1, 1, 0), nullptr);
}

TEST_F(GxtkSurfaceTest, AReopenedWindowRebuildsTheTextureFromKeptPixels) {
  gxtkSurface* checker = gfxtest::Checker(d);
  ASSERT_NE(checker, nullptr);
  gfxtest::ReopenWindow();
  d = gfxtest::NewFrame();
  GlRecorder gl;
  ExpectCheckerDrawn(checker, 100, 100);
  ExpectCheckerDrawn(checker, 200, 100);
  EXPECT_EQ(gl.generated, 1) << "re-created once, then reused";
}

TEST_F(GxtkSurfaceTest, DiscardAfterReopenSparesTheNewContextsTextures) {
  gxtkSurface* old = gfxtest::Checker(d);
  gfxtest::ReopenWindow();
  d = gfxtest::NewFrame();
  gxtkSurface* fresh = gfxtest::Checker(d);
  GlRecorder gl;
  old->Discard();
  EXPECT_TRUE(gl.deleted.empty());
  EXPECT_EQ(old->data, nullptr);
  ExpectCheckerDrawn(fresh, 0, 0);
  fresh->Discard();
  EXPECT_EQ(gl.deleted, std::vector<GLuint>{fresh->texture});
}

TEST_F(GxtkSurfaceTest, RefusedTextureSizesAreRetriedAtPowersOfTwo) {
  std::vector<unsigned char> green(50 * 20 * 3);
  for (size_t i = 1; i < green.size(); i += 3) green[i] = 255;
  GlRecorder gl;
  gl.refuseOddSizes = true;
  gxtkSurface* surface = Load(gfxtest::WritePng("odd.png", 50, 20, 3, green));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(gl.texSizes, (std::vector<std::pair<int, int>>{{50, 20}, {64, 32}}));
  EXPECT_FLOAT_EQ(surface->uscale, 1.0f / 64);
  EXPECT_FLOAT_EQ(surface->vscale, 1.0f / 32);
  d->DrawSurface(surface, 10, 10);
  d->EndRender();
  EXPECT_EQ(Rgb(d, 59, 29), 0x00FF00u) << "only the image's corner of the texture is sampled";
  EXPECT_EQ(Rgb(d, 60, 30), 0u);
}

}  // namespace
