// Images: frame layouts, border flags, handles, the whole-surface flag and the default font.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/graphics/harness.h"

namespace {

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

c_Image* Grid(int frameWidth, int frameHeight, int frames, int x = 0, int y = 0) {
  return (new c_Image)
      ->m_new()
      ->p_Init2(MemorySurface(100, 40), x, y, frameWidth, frameHeight, frames, 0, nullptr, 0, 0,
                100, 40);
}

Corners CornersOf(c_Image* image) {
  Corners corners;
  for (int i = 0; i < image->m_frames.Length(); ++i) {
    corners.push_back({image->m_frames[i]->m_x, image->m_frames[i]->m_y});
  }
  return corners;
}

TEST(ImageFramesTest, FramesBordersHandlesAndTheWholeSurfaceFlag) {
  c_Image* font = Row(960, 12, 96, 2);
  EXPECT_EQ(font->m_width, 8);
  EXPECT_EQ(font->m_frames[1]->m_x, 11);
  EXPECT_EQ(font->m_frames[95]->m_x, 951);
  c_Image* both = Row(20, 10, 2, 1 | 2 | 4);
  EXPECT_EQ(CornersOf(both), (Corners{{1, 1}, {11, 1}}));
  EXPECT_EQ(both->m_height, 8);
  EXPECT_FLOAT_EQ(both->m_tx, 4);
  EXPECT_EQ(both->m_flags, 6);
  c_Image* centred = Row(64, 32, 1, 1);
  EXPECT_EQ(centred->m_flags, 65536);
  EXPECT_FLOAT_EQ(centred->m_ty, 16);
  EXPECT_EQ(Row(64, 32, 1, 2)->m_flags, 2) << "a bordered frame does not cover the surface";
  EXPECT_EQ(Row(64, 32, 2, 0)->m_flags, 0);
}

TEST(ImageFramesTest, GridFramesWrapInsideTheirSource) {
  EXPECT_EQ(CornersOf(Grid(30, 20, 6)),
            (Corners{{0, 0}, {30, 0}, {60, 0}, {0, 20}, {30, 20}, {60, 20}}));
  c_Image* cut = (new c_Image)
                     ->m_new()
                     ->p_Init2(MemorySurface(100, 40), 10, 0, 10, 10, 3, 0, nullptr, 50, 5, 25, 20);
  EXPECT_EQ(CornersOf(cut), (Corners{{60, 5}, {50, 15}, {60, 15}}));
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

// A folder under the build tree with an empty data folder in it.
std::string FolderWithData(const std::string& name) {
  const std::string dir = std::string(KX_BINARY_DIR) + "/tests/graphics_" + name;
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/data").c_str(), 0755);
  return dir;
}

// Asks for the default font with `dir` as the working directory.
void SetDefaultFontIn(const std::string& dir) {
  char old[4096];
  ASSERT_TRUE(getcwd(old, sizeof old));
  ASSERT_EQ(chdir(dir.c_str()), 0);
  kx_graphics_SetFont(nullptr, 0);
  ASSERT_EQ(chdir(old), 0);
}

TEST(DefaultFontTest, TheDefaultFontIsLoadedOnceAndMayBeMissing) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  gfxtest::NewFrame();
  c_GraphicsContext* ctx = kx_graphics_context;
  gc_assign(ctx->m_defaultFont, nullptr);
  SetDefaultFontIn(FolderWithData("nofont"));
  EXPECT_EQ(ctx->m_defaultFont, nullptr);
  EXPECT_EQ(ctx->m_firstChar, 32);

  const std::string dir = FolderWithData("font");
  gfxtest::WritePng("font/data/lumo_font.png", 960, 12, 1, std::vector<unsigned char>(960 * 12));
  SetDefaultFontIn(dir);
  c_Image* font = ctx->m_defaultFont;
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(CornersOf(font).size(), 96u);
  EXPECT_EQ(font->m_width, 8);
  EXPECT_EQ(ctx->m_font, font);
  c_Image* own = Row(8, 8, 1, 0);
  kx_graphics_SetFont(own, 65);
  EXPECT_EQ(ctx->m_font, own);
  EXPECT_EQ(ctx->m_firstChar, 65);
  kx_graphics_SetFont(nullptr, 0);
  EXPECT_EQ(ctx->m_defaultFont, font) << "loaded only once";
}

}  // namespace
