// Surfaces and images: premultiplication, the size limits of image files, textures after the
// window opens again and the power-of-two retry; frame layouts, border flags, handles, the
// whole-surface flag and the default font.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::Rgb;

class GxtkSurfaceTest : public gfxtest::WindowTest {
 protected:
  gxtkSurface* Load(const std::string& path) { return d->LoadSurface(String(path.c_str())); }
  // Draws the checker ten times enlarged at (x, y); the spots of its four colours that miss.
  std::string CheckerMisses(gxtkSurface* checker, int x, int y) {
    d->SetMatrix(10, 0, 0, 10, x, y);
    d->DrawSurface(checker, 0, 0);
    d->EndRender();
    return Misses({{x + 5, y + 5, 0xFF0000}, {x + 15, y + 5, 0xFF00}, {x + 5, y + 15, 0xFF},
                   {x + 15, y + 15, 0xFFFFFF}});
  }
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

// Refused before anything is decoded: a picture wider than the side limit, a header claiming
// 16000 x 16000 (within that limit, but 768 MB), and a file that is not there.
TEST_F(GxtkSurfaceTest, ImageFilesOfImplausibleSizesGiveNull) {
  const std::string dir = gfxtest::Scratch();
  const std::vector<unsigned char> black(16385);
  gfxtest::WritePng("long.png", 16385, 1, 1, black);
  std::string wide = kxtest::ReadFile(gfxtest::WritePng("wide.png", 2, 2, 3, black));
  wide.replace(16, 8, std::string("\x00\x00\x3E\x80\x00\x00\x3E\x80", 8));
  kxtest::WriteFile(dir + "/wide.png", wide);
  for (const std::string file : {"/long.png", "/wide.png", "/absent.png"}) {
    EXPECT_EQ(Load(dir + file), nullptr) << file;
    EXPECT_EQ(kx_graphics_LoadImage(String((dir + file).c_str()), 1, 0), nullptr) << file;
  }
}

// Every opening makes a new OpenGL context: a surface makes its texture again there from the
// pixels it kept, and one discarded there leaves the new context's names alone.
TEST_F(GxtkSurfaceTest, AfterTheWindowOpensAgainTexturesAreMadeAgain) {
  gxtkSurface* old = gfxtest::Checker(d);
  gxtkSurface* kept = gfxtest::Checker(d);
  d->EndRender();
  gfxtest::ReopenWindow();
  d = gfxtest::NewFrame();
  GlRecorder gl;
  old->Discard();
  EXPECT_TRUE(gl.deleted.empty());
  EXPECT_EQ(CheckerMisses(kept, 20, 20), "");
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
  // Only the image's corner of the texture is sampled.
  EXPECT_EQ(Misses({{59, 29, 0xFF00}, {60, 30, 0}}), "");
}

typedef std::vector<std::pair<int, int>> Corners;

// A surface held in memory only: layouts need no texture.
gxtkSurface* MemorySurface(int width, int height) {
  gxtkSurface* surface = new gxtkSurface;
  surface->SetData(static_cast<unsigned char*>(calloc(static_cast<size_t>(width) * height, 4)),
                   width, height, 4);
  return surface;
}

c_Image* Row(int width, int height, int frames, int flags) {
  return (new c_Image)->m_new()->p_Init(MemorySurface(width, height), frames, flags);
}

// Frames of a 100x40 surface cut from the source box (srcx, srcy, srcw, srch), from (x, 0) on.
c_Image* Grid(int w, int h, int frames, int x = 0, int srcx = 0, int srcy = 0, int srcw = 100,
              int srch = 40) {
  return (new c_Image)
      ->m_new()
      ->p_Init2(MemorySurface(100, 40), x, 0, w, h, frames, 0, nullptr, srcx, srcy, srcw, srch);
}

Corners CornersOf(c_Image* image) {
  Corners corners;
  for (int i = 0; i < image->m_frames.Length(); ++i) {
    corners.push_back({image->m_frames[i]->m_x, image->m_frames[i]->m_y});
  }
  return corners;
}

TEST(ImageFramesTest, FramesBordersHandlesAndTheWholeSurfaceFlag) {
  c_Image* both = Row(20, 10, 2, 1 | 2 | 4);
  EXPECT_EQ(CornersOf(both), (Corners{{1, 1}, {11, 1}}));
  EXPECT_EQ(both->m_width * 100 + both->m_height, 808);
  EXPECT_FLOAT_EQ(both->m_tx, 4);
  EXPECT_EQ(both->m_flags, 6);
  c_Image* centred = Row(64, 32, 1, 1);
  EXPECT_EQ(centred->m_flags, 65536);
  EXPECT_FLOAT_EQ(centred->m_ty, 16);
  EXPECT_EQ(Row(64, 32, 1, 2)->m_flags, 2) << "a bordered frame does not cover the surface";
  EXPECT_EQ(Row(64, 32, 2, 0)->m_flags, 0);
  EXPECT_EQ(CornersOf(Grid(30, 20, 6)),
            (Corners{{0, 0}, {30, 0}, {60, 0}, {0, 20}, {30, 20}, {60, 20}}));
  EXPECT_EQ(CornersOf(Grid(10, 10, 3, 10, 50, 5, 25, 20)), (Corners{{60, 5}, {50, 15}, {60, 15}}));
}

// The error path reads debugger commands from standard input and reports on standard output;
// the child gets no input and reports where the death test looks.
void SevenFramesOfThirtyByTwenty() {
  if (!std::freopen("/dev/null", "r", stdin)) std::abort();
  dup2(2, 1);
  Grid(30, 20, 7);
}

TEST(ImageFramesDeathTest, FramesOutsideTheSurfaceAreARunTimeError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(SevenFramesOfThirtyByTwenty(), ::testing::ExitedWithCode(255),
              "Vantor Runtime Error : Image frame outside surface");
}

// Asked for with a folder without the font as the working directory, then with one whose data
// folder has it.
TEST_F(GxtkSurfaceTest, TheDefaultFontIsLoadedOnceAndMayBeMissing) {
  c_GraphicsContext* ctx = kx_graphics_context;
  gc_assign(ctx->m_defaultFont, nullptr);
  char home[4096];
  ASSERT_TRUE(getcwd(home, sizeof home));
  mkdir((gfxtest::Scratch() + "/data").c_str(), 0755);
  for (const bool there : {false, true}) {
    if (there) {
      gfxtest::WritePng("data/lumo_font.png", 960, 12, 1, std::vector<unsigned char>(11520));
    }
    ASSERT_EQ(chdir(gfxtest::Scratch().c_str()), 0);
    kx_graphics_SetFont(nullptr, 0);
    ASSERT_EQ(chdir(home), 0);
    EXPECT_EQ(ctx->m_defaultFont != nullptr, there);
  }
  c_Image* font = ctx->m_defaultFont;
  EXPECT_EQ(font->m_frames[95]->m_x, 951) << "96 frames of 8, each with a border";
  kx_graphics_SetFont(nullptr, 0);
  EXPECT_EQ(ctx->m_defaultFont, font) << "loaded only once";
}

}  // namespace
