// Images: frame layouts, border flags, handles, the whole-surface flag and fonts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/graphics/harness.h"

namespace {

// A surface of the given size held in memory only (no texture is needed for layouts).
gxtkSurface* MemorySurface(int width, int height) {
  gxtkSurface* surface = new gxtkSurface;
  surface->SetData(static_cast<unsigned char*>(calloc(static_cast<size_t>(width) * height, 4)),
                   width, height, 4);
  return surface;
}

std::vector<std::pair<int, int>> Corners(c_Image* image) {
  std::vector<std::pair<int, int>> corners;
  for (int i = 0; i < image->m_frames.Length(); ++i) {
    corners.push_back({image->m_frames[i]->m_x, image->m_frames[i]->m_y});
  }
  return corners;
}

TEST(ImageTest, RowOfFramesWithBorders) {
  c_Image* font = (new c_Image)->m_new()->p_Init(MemorySurface(960, 12), 96, 2);
  ASSERT_EQ(font->m_frames.Length(), 96);
  EXPECT_EQ(font->m_width, 8);
  EXPECT_EQ(font->m_height, 12);
  EXPECT_EQ(font->m_frames[0]->m_x, 1);
  EXPECT_EQ(font->m_frames[1]->m_x, 11);
  EXPECT_EQ(font->m_frames[95]->m_x, 951);
  EXPECT_EQ(font->m_flags, 2);

  c_Image* both = (new c_Image)->m_new()->p_Init(MemorySurface(20, 10), 2, 2 | 4 | 1);
  EXPECT_EQ(Corners(both), (std::vector<std::pair<int, int>>{{1, 1}, {11, 1}}));
  EXPECT_EQ(both->m_width, 8);
  EXPECT_EQ(both->m_height, 8);
  EXPECT_FLOAT_EQ(both->m_tx, 4);
  EXPECT_EQ(both->m_flags, 6);
}

TEST(ImageTest, WholeSurfaceFlagAndHandles) {
  c_Image* plain = (new c_Image)->m_new()->p_Init(MemorySurface(64, 32), 1, 0);
  EXPECT_EQ(plain->m_flags, 65536);
  c_Image* centred = (new c_Image)->m_new()->p_Init(MemorySurface(64, 32), 1, 1);
  EXPECT_EQ(centred->m_flags, 65536);
  EXPECT_FLOAT_EQ(centred->m_tx, 32);
  EXPECT_FLOAT_EQ(centred->m_ty, 16);
  c_Image* bordered = (new c_Image)->m_new()->p_Init(MemorySurface(64, 32), 1, 2);
  EXPECT_EQ(bordered->m_flags, 2) << "a bordered frame does not cover the surface";
  c_Image* strip = (new c_Image)->m_new()->p_Init(MemorySurface(64, 32), 2, 0);
  EXPECT_EQ(strip->m_flags, 0);
  strip->p_SetHandle(3, 4);
  EXPECT_FLOAT_EQ(strip->m_ty, 4);
}

TEST(ImageTest, GridOfFramesInsideASource) {
  c_Image* grid = (new c_Image)->m_new()->p_Init2(MemorySurface(100, 40), 0, 0, 30, 20, 6, 0,
                                                  nullptr, 0, 0, 100, 40);
  const std::vector<std::pair<int, int>> want = {{0, 0},  {30, 0},  {60, 0},
                                                 {0, 20}, {30, 20}, {60, 20}};
  EXPECT_EQ(Corners(grid), want);
  // Inside a source rectangle the frames are offset by its corner and wrap at its width.
  c_Image* cut = (new c_Image)->m_new()->p_Init2(MemorySurface(100, 40), 10, 0, 10, 10, 3, 0,
                                                 grid, 50, 5, 25, 20);
  EXPECT_EQ(Corners(cut), (std::vector<std::pair<int, int>>{{60, 5}, {50, 15}, {60, 15}}));
  EXPECT_EQ(cut->m_source, grid);
}

// The error path reads its debugger commands from standard input and reports on standard
// output; the child gets no input and reports where the death test can see it.
void InitSevenFrames() {
  if (!std::freopen("/dev/null", "r", stdin)) std::abort();
  dup2(2, 1);
  (new c_Image)->m_new()->p_Init2(MemorySurface(100, 40), 0, 0, 30, 20, 7, 0, nullptr, 0, 0,
                                  100, 40);
}

TEST(ImageDeathTest, FramesOutsideTheSurfaceAreARunTimeError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(InitSevenFrames(), ::testing::ExitedWithCode(255),
              "Vantor Runtime Error : Image frame outside surface");
}

// Makes `dir` (with a data folder) the working directory while it lives.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) {
    if (!getcwd(old_, sizeof old_)) old_[0] = 0;
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/data").c_str(), 0755);
    ok_ = chdir(dir.c_str()) == 0;
  }
  ~InDirectory() {
    if (old_[0] && chdir(old_) != 0) std::abort();
  }
  bool ok() const { return ok_; }

 private:
  char old_[4096];
  bool ok_ = false;
};

TEST(FontTest, DefaultFontIsLoadedOnceFromTheDataFolder) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  gfxtest::NewFrame();
  gc_assign(kx_graphics_context->m_defaultFont, nullptr);
  {
    InDirectory in(std::string(KX_BINARY_DIR) + "/tests/graphics_nofont");
    ASSERT_TRUE(in.ok());
    kx_graphics_SetFont(nullptr, 0);
    EXPECT_EQ(kx_graphics_context->m_defaultFont, nullptr);
    EXPECT_EQ(kx_graphics_context->m_font, nullptr);
    EXPECT_EQ(kx_graphics_context->m_firstChar, 32);
  }
  const std::string dir = std::string(KX_BINARY_DIR) + "/tests/graphics_font";
  InDirectory in(dir);
  ASSERT_TRUE(in.ok());
  const std::string png = gfxtest::WritePng("font.png", 960, 12, 4,
                                            std::vector<unsigned char>(960 * 12 * 4));
  ASSERT_EQ(std::rename(png.c_str(), (dir + "/data/lumo_font.png").c_str()), 0);
  kx_graphics_SetFont(nullptr, 0);
  c_Image* font = kx_graphics_context->m_defaultFont;
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->m_frames.Length(), 96);
  EXPECT_EQ(font->m_width, 8);
  EXPECT_EQ(font->m_frames[1]->m_x, 11);
  EXPECT_EQ(kx_graphics_context->m_font, font);
  c_Image* own = (new c_Image)->m_new()->p_Init(MemorySurface(8, 8), 1, 0);
  kx_graphics_SetFont(own, 65);
  EXPECT_EQ(kx_graphics_context->m_font, own);
  EXPECT_EQ(kx_graphics_context->m_firstChar, 65);
  kx_graphics_SetFont(nullptr, 0);
  EXPECT_EQ(kx_graphics_context->m_defaultFont, font) << "loaded only once";
}

}  // namespace
