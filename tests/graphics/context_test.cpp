// The graphics context: frame reset, matrix stack, lazy hand-over of the matrix, scissor
// rounding, and images placed by handle, rotated, scaled and mirrored.
#include <gtest/gtest.h>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::NearRgb;
using gfxtest::Pixel;

class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    device = gfxtest::NewFrame();
    device->Cls(0, 0, 0);
    ctx = kx_graphics_context;
  }
  gxtkGraphics* device = nullptr;
  c_GraphicsContext* ctx = nullptr;
};

// A 32x32 picture in four 16x16 quadrants: red, green / blue, white; handle in the middle.
c_Image* Quadrants() {
  std::vector<unsigned char> rgb(32 * 32 * 3);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      static const unsigned char colours[4][3] = {
          {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      const unsigned char* c = colours[(y / 16) * 2 + x / 16];
      for (int k = 0; k < 3; ++k) rgb[(y * 32 + x) * 3 + k] = c[k];
    }
  }
  return kx_graphics_LoadImage(String(gfxtest::WritePng("quadrants.png", 32, 32, 3, rgb).c_str()),
                               1, 1);
}

// The quadrant colours seen around (x, y), 8 pixels out from the centre, clockwise from the
// top left: 'r', 'g', 'b', 'w' or '.' for anything else.
std::string Around(gxtkGraphics* device, int x, int y, int d = 8) {
  std::string seen;
  const int spots[4][2] = {{-d, -d}, {d, -d}, {d, d}, {-d, d}};
  for (const auto& s : spots) {
    const unsigned int p = Pixel(device, x + s[0], y + s[1]);
    seen += NearRgb(p, 255, 0, 0) ? 'r' : NearRgb(p, 0, 255, 0) ? 'g'
          : NearRgb(p, 0, 0, 255) ? 'b' : NearRgb(p, 255, 255, 255) ? 'w' : '.';
  }
  return seen;
}

TEST_F(ContextTest, BeginRenderResetsWhatTheLastFrameLeft) {
  kx_graphics_SetColor(10, 20, 30);
  kx_graphics_SetAlpha(0.25f);
  kx_graphics_SetBlend(1);
  kx_graphics_SetScissor(5, 5, 10, 10);
  kx_graphics_Translate(3, 4);
  kx_graphics_PushMatrix();
  kx_graphics_EndRender();
  device->EndRender();
  EXPECT_EQ(kx_graphics_renderDevice, nullptr);

  device->BeginRender();
  kx_graphics_BeginRender();
  EXPECT_EQ(kx_graphics_renderDevice, device);
  EXPECT_EQ(device->colorARGB, 0xFFFFFFFFu);
  EXPECT_EQ(ctx->m_matrixSp, 0);
  EXPECT_EQ(ctx->m_tformed, 0);
  GLint dst = 0;
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(ContextTest, ScissorRoundsHalvesToEven) {
  kx_graphics_SetScissor(0.5f, 1.5f, 100, 100);
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{0, 378, 100, 100}));
  kx_graphics_SetScissor(2.5f, 0, 99.5f, 100.5f);
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{2, 380, 100, 100}));
}

TEST_F(ContextTest, DeepPushesGrowTheStackAndPopsRestoreTheMatrix) {
  kx_graphics_Rotate(30);
  kx_graphics_Translate(5, 7);
  const float before[6] = {ctx->m_ix, ctx->m_iy, ctx->m_jx, ctx->m_jy, ctx->m_tx, ctx->m_ty};
  EXPECT_EQ(ctx->m_matrixStack.Length(), 192);
  for (int i = 0; i < 40; ++i) {
    kx_graphics_PushMatrix();
    kx_graphics_Translate(1, 2);
    kx_graphics_Scale(1.01f, 0.99f);
  }
  EXPECT_EQ(ctx->m_matrixStack.Length(), 384);
  for (int i = 0; i < 40; ++i) kx_graphics_PopMatrix();
  const float after[6] = {ctx->m_ix, ctx->m_iy, ctx->m_jx, ctx->m_jy, ctx->m_tx, ctx->m_ty};
  EXPECT_EQ(std::vector<float>(after, after + 6), std::vector<float>(before, before + 6));
  kx_graphics_PopMatrix();  // unmatched: ignored
  EXPECT_EQ(ctx->m_matrixSp, 0);
  EXPECT_EQ(ctx->m_tx, before[4]);
}

TEST_F(ContextTest, TheMatrixReachesTheDeviceOnlyWithTheNextDraw) {
  kx_graphics_Translate(10, 0);
  kx_graphics_Scale(2, 3);
  EXPECT_EQ(device->tx, 0) << "handed over before any draw";
  kx_graphics_DrawRect(1, 1, 1, 1);
  EXPECT_EQ(device->ix, 2);
  EXPECT_EQ(device->jy, 3);
  EXPECT_EQ(device->tx, 10);
  EXPECT_TRUE(device->tformed);
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 12, 3), 255, 255, 255));
  EXPECT_TRUE(NearRgb(Pixel(device, 11, 3), 0, 0, 0));
}

TEST_F(ContextTest, ImagesArePlacedByHandleRotatedScaledAndMirrored) {
  c_Image* image = Quadrants();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_flags, 65536);
  kx_graphics_DrawImage(image, 100, 100, 0);
  kx_graphics_DrawImage2(image, 200, 100, 0, 1, 1, 0);
  kx_graphics_DrawImage2(image, 300, 100, 90, 1, 1, 0);
  kx_graphics_DrawImage2(image, 400, 100, 0, -2, 2, 0);
  kx_graphics_DrawEllipse(500, 100, 10, 5);
  device->EndRender();
  EXPECT_EQ(Around(device, 100, 100), "rgwb");
  EXPECT_TRUE(NearRgb(Pixel(device, 84, 84), 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 83, 84), 0, 0, 0));
  EXPECT_EQ(Around(device, 200, 100), "rgwb") << "no rotation and unit scale draw like DrawImage";
  EXPECT_EQ(Around(device, 300, 100), "gwbr") << "a positive angle turns counter-clockwise";
  EXPECT_EQ(Around(device, 400, 100, 24), "grbw") << "mirrored about the handle, twice the size";
  EXPECT_TRUE(NearRgb(Pixel(device, 367, 100), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 491, 100), 255, 255, 255));
  EXPECT_TRUE(NearRgb(Pixel(device, 489, 100), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 500, 96), 255, 255, 255));
  EXPECT_TRUE(NearRgb(Pixel(device, 500, 94), 0, 0, 0));
}

TEST_F(ContextTest, ManyRotatedSpritesShareOneDrawCall) {
  c_Image* image = Quadrants();
  ASSERT_NE(image, nullptr);
  GlRecorder gl;
  for (int i = 0; i < 100; ++i) kx_graphics_DrawImage2(image, i * 6, 200, i * 3.6f, 1, 1, 0);
  kx_graphics_DrawImage2(image, 0, 0, 0, 1, 1, 1);  // no such frame: nothing drawn
  device->EndRender();
  ASSERT_EQ(gl.draws.size(), 1u);
  EXPECT_EQ(gl.draws[0].count, 600);
}

}  // namespace
