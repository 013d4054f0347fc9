// The graphics context: frame reset, matrix stack, lazy hand-over of the matrix, scissor
// rounding, and images placed by handle, rotated, scaled and mirrored.
#include <gtest/gtest.h>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::Rgb;

class GraphicsContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    d = gfxtest::NewFrame();
    ctx = kx_graphics_context;
  }
  std::vector<GLint> ScissorBox() {
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    return std::vector<GLint>(box, box + 4);
  }
  std::vector<float> Matrix() {
    return {ctx->m_ix, ctx->m_iy, ctx->m_jx, ctx->m_jy, ctx->m_tx, ctx->m_ty};
  }
  // The colours 8 pixels diagonally out from (x, y), clockwise from the top left, as letters.
  std::string Around(int x, int y, int r = 8) {
    std::string seen;
    const int spots[4][2] = {{-r, -r}, {r, -r}, {r, r}, {-r, r}};
    for (const auto& s : spots) {
      const unsigned int c = Rgb(d, x + s[0], y + s[1]);
      seen += c == 0xFF0000u   ? 'r'
              : c == 0x00FF00u ? 'g'
              : c == 0x0000FFu ? 'b'
              : c == 0xFFFFFFu ? 'w'
                               : '.';
    }
    return seen;
  }
  gxtkGraphics* d = nullptr;
  c_GraphicsContext* ctx = nullptr;
};

// 32x32 in four quadrants, red, green / blue, white, with its handle in the middle.
c_Image* Quadrants() {
  std::vector<unsigned char> rgb(32 * 32 * 3);
  const unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (int i = 0; i < 32 * 32; ++i) {
    const unsigned char* c = colours[(i / 32 / 16) * 2 + (i % 32) / 16];
    for (int k = 0; k < 3; ++k) rgb[i * 3 + k] = c[k];
  }
  return kx_graphics_LoadImage(String(gfxtest::WritePng("quadrants.png", 32, 32, 3, rgb).c_str()),
                               1, 1);
}

TEST_F(GraphicsContextTest, BeginRenderResetsWhatTheLastFrameLeft) {
  kx_graphics_SetColor(10, 20, 30);
  kx_graphics_SetAlpha(0.25f);
  kx_graphics_SetBlend(1);
  kx_graphics_SetScissor(5, 5, 10, 10);
  kx_graphics_Translate(3, 4);
  kx_graphics_PushMatrix();
  kx_graphics_EndRender();
  EXPECT_EQ(kx_graphics_renderDevice, nullptr);
  d->BeginRender();
  kx_graphics_BeginRender();
  EXPECT_EQ(kx_graphics_renderDevice, d);
  EXPECT_EQ(d->colorARGB, 0xFFFFFFFFu);
  EXPECT_EQ(ctx->m_matrixSp, 0);
  EXPECT_EQ(Matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
  GLint dst = 0;
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(GraphicsContextTest, ScissorRoundsHalvesToEven) {
  kx_graphics_SetScissor(0.5f, 1.5f, 100, 100);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{0, 378, 100, 100}));
  kx_graphics_SetScissor(2.5f, 0, 99.5f, 100.5f);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{2, 380, 100, 100}));
}

TEST_F(GraphicsContextTest, DeepPushesGrowTheStackAndPopsRestoreTheMatrix) {
  kx_graphics_Rotate(30);
  kx_graphics_Translate(5, 7);
  const std::vector<float> before = Matrix();
  for (int i = 0; i < 40; ++i) {
    kx_graphics_PushMatrix();
    kx_graphics_Translate(1, 2);
    kx_graphics_Scale(1.01f, 0.99f);
  }
  EXPECT_EQ(ctx->m_matrixStack.Length(), 384);
  for (int i = 0; i < 40; ++i) kx_graphics_PopMatrix();
  EXPECT_EQ(Matrix(), before);
  kx_graphics_PopMatrix();  // unmatched: ignored
  EXPECT_EQ(Matrix(), before);
}

TEST_F(GraphicsContextTest, TheMatrixReachesTheDeviceOnlyWithTheNextDraw) {
  kx_graphics_Translate(10, 0);
  kx_graphics_Scale(2, 3);
  EXPECT_FALSE(d->tformed);
  kx_graphics_DrawRect(1, 1, 1, 1);
  EXPECT_EQ(std::vector<float>({d->ix, d->jy, d->tx}), (std::vector<float>{2, 3, 10}));
  d->EndRender();
  EXPECT_EQ(Rgb(d, 12, 3), 0xFFFFFFu);
  EXPECT_EQ(Rgb(d, 11, 3), 0u);
}

TEST_F(GraphicsContextTest, ImagesArePlacedByHandleRotatedScaledAndMirrored) {
  c_Image* image = Quadrants();
  ASSERT_NE(image, nullptr);
  kx_graphics_DrawImage(image, 100, 100, 0);
  kx_graphics_DrawImage2(image, 200, 100, 0, 1, 1, 0);
  kx_graphics_DrawImage2(image, 300, 100, 90, 1, 1, 0);
  kx_graphics_DrawImage2(image, 400, 100, 0, -2, 2, 0);
  kx_graphics_DrawEllipse(500, 100, 10, 5);
  d->EndRender();
  EXPECT_EQ(Around(100, 100), "rgwb");
  EXPECT_EQ(Rgb(d, 84, 84), 0xFF0000u);
  EXPECT_EQ(Rgb(d, 83, 84), 0u);
  EXPECT_EQ(Around(200, 100), "rgwb") << "no rotation and unit scale draw as DrawImage does";
  EXPECT_EQ(Around(300, 100), "gwbr") << "a positive angle turns counter-clockwise";
  EXPECT_EQ(Around(400, 100, 24), "grbw") << "mirrored about the handle at twice the size";
  EXPECT_EQ(Rgb(d, 367, 100), 0u);
  EXPECT_EQ(Around(500, 100, 0), "wwww");
  EXPECT_EQ(Rgb(d, 491, 100) & Rgb(d, 500, 96), 0xFFFFFFu) << "ellipse box (490, 95, 20, 10)";
  EXPECT_EQ(Rgb(d, 489, 100) | Rgb(d, 500, 94) | Rgb(d, 510, 100), 0u);
}

TEST_F(GraphicsContextTest, ManyRotatedSpritesShareOneDrawCall) {
  c_Image* image = Quadrants();
  gfxtest::GlRecorder gl;
  for (int i = 0; i < 100; ++i) kx_graphics_DrawImage2(image, i * 6, 200, i * 3.6f, 1, 1, 0);
  kx_graphics_DrawImage2(image, 0, 0, 0, 1, 1, 1);  // no such frame: nothing drawn
  d->EndRender();
  ASSERT_EQ(gl.draws.size(), 1u);
  EXPECT_EQ(gl.draws[0].count, 600);
}

// The whole frame is also saved as graphics_scene.png in the build tree, for people to look at.
TEST_F(GraphicsContextTest, ASceneOfImagesOvalsLinesAndRotatedSprites) {
  c_Image* sprite = Quadrants();
  d->Cls(16, 24, 48);
  kx_graphics_SetColor(40, 90, 200);
  kx_graphics_DrawRect(20, 20, 600, 440);
  kx_graphics_SetColor(255, 80, 80);
  for (int i = 0; i < 8; ++i) kx_graphics_DrawEllipse(80 + i * 64, 80, 10 + i * 3, 20);
  kx_graphics_SetColor(255, 255, 255);
  for (int i = 0; i <= 12; ++i) kx_graphics_DrawLine(40, 140 + i * 10, 600, 260 - i * 10);
  for (int i = 0; i < 12; ++i) {
    kx_graphics_DrawImage2(sprite, 60 + i * 48, 320, i * 30.0f, 0.8f + i * 0.05f, 0.8f, 0);
  }
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
  for (int i = 0; i < 640 * 480 * 3; ++i) rgb[i] = frame[i / 3] >> (16 - i % 3 * 8) & 255;
  gfxtest::WritePng("scene.png", 640, 480, 3, rgb);
  EXPECT_EQ(Rgb(d, 5, 5), 0x101830u);
  EXPECT_EQ(Rgb(d, 80, 80), 0xFF5050u);
  EXPECT_EQ(Around(60, 320, 4), "rgwb");
  // Half-transparent green over blue, then additive red on top of that.
  EXPECT_TRUE(gfxtest::Near(Rgb(d, 250, 410), 0x14AC64u));
  EXPECT_TRUE(gfxtest::Near(Rgb(d, 380, 410), 0xDCAC64u));
}

}  // namespace
