// Drawing through the context and the render device on a real window: frame reset, matrix
// stack, scissor, images placed by handle, rotated, scaled and mirrored, shapes, blending,
// texel sampling, batching seen through the OpenGL seam, and the state filter's pixel identity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::Rgb;

class DrawTest : public gfxtest::WindowTest {
 protected:
  std::vector<GLint> ScissorBox() {
    std::vector<GLint> box(4);
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    return box;
  }
  std::vector<float> Matrix() {
    c_GraphicsContext* c = kx_graphics_context;
    return {c->m_ix, c->m_iy, c->m_jx, c->m_jy, c->m_tx, c->m_ty};
  }
  // The colours r pixels diagonally out from (x, y), clockwise from the top left, as letters.
  std::string Around(int x, int y, int r = 8) {
    const unsigned int colours[] = {0xFF0000, 0xFF00, 0xFF, 0xFFFFFF};
    std::string seen;
    for (const auto& s : {std::array<int, 2>{-r, -r}, {r, -r}, {r, r}, {-r, r}}) {
      const auto at = std::find(colours, colours + 4, Rgb(d, x + s[0], y + s[1])) - colours;
      seen += "rgbw."[at];
    }
    return seen;
  }
};

TEST_F(DrawTest, PopsRestoreTheMatrixAndBeginRenderResetsWhatTheLastFrameLeft) {
  kx_graphics_Rotate(30);
  const std::vector<float> before = Matrix();
  for (int i = 0; i < 40; ++i) {
    kx_graphics_PushMatrix();
    kx_graphics_Scale(1.01f, 0.99f);
  }
  for (int i = 0; i < 41; ++i) kx_graphics_PopMatrix();  // the last one unmatched: ignored
  EXPECT_EQ(Matrix(), before);
  kx_graphics_SetColor(10, 20, 30);
  kx_graphics_SetAlpha(0.25f);
  kx_graphics_SetBlend(1);
  kx_graphics_SetScissor(5, 5, 10, 10);
  kx_graphics_PushMatrix();
  kx_graphics_EndRender();
  EXPECT_EQ(kx_graphics_renderDevice, nullptr);
  d->BeginRender();
  kx_graphics_BeginRender();
  EXPECT_EQ(kx_graphics_renderDevice, d);
  EXPECT_EQ(d->colorARGB, 0xFFFFFFFFu);
  EXPECT_EQ(kx_graphics_context->m_matrixSp, 0);
  EXPECT_EQ(Matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
  GLint dst = 0;
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(DrawTest, ImagesArePlacedByHandleRotatedScaledAndMirrored) {
  // 32x32 in four quadrants, red, green / blue, white, with its handle in the middle.
  std::vector<unsigned char> rgb(32 * 32 * 3);
  const unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (int i = 0; i < 32 * 32 * 3; ++i) rgb[i] = colours[i / 3 / 512 * 2 + i / 3 % 32 / 16][i % 3];
  const std::string file = gfxtest::WritePng("quadrants.png", 32, 32, 3, rgb);
  c_Image* image = kx_graphics_LoadImage(String(file.c_str()), 1, 1);
  ASSERT_NE(image, nullptr);
  kx_graphics_DrawImage(image, 100, 100, 0);
  kx_graphics_DrawImage2(image, 200, 100, 0, 1, 1, 0);
  kx_graphics_DrawImage2(image, 300, 100, 90, 1, 1, 0);
  kx_graphics_DrawImage2(image, 400, 100, 0, -2, 2, 0);
  kx_graphics_DrawImage2(image, 500, 300, 0, 1, 1, 1);  // no such frame: nothing drawn
  kx_graphics_DrawImage(image, 500, 300, -1);
  kx_graphics_DrawEllipse(500, 100, 10, 5);
  kx_graphics_DrawLine(600.5f, 0, 600.5f, 100);
  d->DrawPoint(400.5f, 300.5f);
  kx_graphics_Translate(10, 0);
  kx_graphics_Scale(2, 3);
  kx_graphics_DrawRect(1, 1, 1, 1);
  d->EndRender();
  EXPECT_EQ(Around(100, 100), "rgwb");
  EXPECT_EQ(Around(200, 100), "rgwb") << "no rotation and unit scale draw as DrawImage does";
  EXPECT_EQ(Around(300, 100), "gwbr") << "a positive angle turns counter-clockwise";
  EXPECT_EQ(Around(400, 100, 24), "grbw") << "mirrored about the handle at twice the size";
  EXPECT_EQ(Around(500, 300), "....");
  // The first image's corner; the mirrored one's edge; the ellipse's box (490, 95, 20, 10)
  // with its corner empty; the line and the point at pixel centres; the rectangle under the
  // translated, scaled matrix.
  EXPECT_EQ(Misses({{84, 84, 0xFF0000}, {83, 84, 0}, {367, 100, 0}, {500, 100, 0xFFFFFF},
                    {491, 100, 0xFFFFFF}, {500, 96, 0xFFFFFF}, {489, 100, 0}, {500, 94, 0},
                    {510, 100, 0}, {491, 96, 0}, {600, 50, 0xFFFFFF}, {601, 50, 0},
                    {400, 300, 0xFFFFFF}, {12, 3, 0xFFFFFF}, {11, 3, 0}}),
            "");
}

TEST_F(DrawTest, BatchesFlushWhenFullOrOnKindOrTextureButNotOnMatrixChanges) {
  gxtkSurface* surface = gfxtest::Checker(d);
  GlRecorder gl;
  for (int i = 0; i < 300; ++i) d->DrawRect(i, 0, 1, 1);
  EXPECT_EQ(gl.draws.size(), 1u) << "a full batch goes at once";
  d->DrawSurface(surface, 10, 10);
  d->SetMatrix(0, -1, 1, 0, 50, 50);
  d->DrawSurface(surface, 10, 10);
  d->DrawLine(0, 0, 5, 5);
  d->DrawLine(0, 5, 5, 0);
  d->EndRender();
  // Six indices a quad: 256 rectangles fill a batch, 44 follow, then two surfaces.
  std::vector<int> counts;
  for (const gfxtest::DrawCall& call : gl.draws) counts.push_back(call.count);
  EXPECT_EQ(counts, (std::vector<int>{1536, 264, 12, 4}));
  EXPECT_EQ(gl.draws[3].mode, static_cast<GLenum>(GL_LINES));

  gl.draws.clear();
  d = gfxtest::NewFrame();
  d->DrawRect(0, 0, 640, 480);
  d->Cls(0, 0, 255);
  d->EndRender();
  EXPECT_TRUE(gl.draws.empty()) << "clearing drops what was pending";
  EXPECT_EQ(Rgb(d, 320, 240), 0x0000FFu);
}

TEST_F(DrawTest, OvalSegmentsFollowTheSizeAndOnlyEqualOnesShareABatch) {
  GlRecorder gl;
  d->DrawOval(0, 0, 10, 10);
  d->DrawOval(0, 0, 21, 10);   // 10 (half to even) + 5: 12; rounding half up would give 16
  d->DrawOval(0, 0, 100, 60);
  d->DrawOval(0, 0, 102, 61);  // 51 + 30 (half to even) = 81, down to a multiple of 4
  d->DrawOval(0, 0, 3000, 3000);
  d->SetMatrix(0, 2, -2, 0, 0, 0);  // a quarter turn at twice the size
  d->DrawOval(0, 0, 100, 60);
  d->EndRender();
  std::vector<std::pair<int, int>> fans;  // (first vertex, vertices)
  for (const gfxtest::DrawCall& call : gl.draws) fans.push_back({call.first, call.count});
  EXPECT_EQ(fans, (std::vector<std::pair<int, int>>{
                      {0, 12}, {12, 12}, {0, 80}, {80, 80}, {0, 1024}, {0, 160}}));
  EXPECT_EQ(gl.draws[0].mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
}

TEST_F(DrawTest, PremultipliedAndAdditiveBlending) {
  d->Cls(0, 0, 255);
  d->SetColor(255, 128, 0);
  d->SetAlpha(0.5f);
  EXPECT_EQ(d->colorARGB, 0x7F00407Fu) << "premultiplied and truncated, not rounded";
  d->DrawRect(0, 0, 10, 10);
  d->SetBlend(1);
  d->SetColor(100, 50, 0);
  d->SetAlpha(1);
  d->DrawRect(20, 0, 10, 10);
  d->EndRender();
  const unsigned int half = Rgb(d, 5, 5);  // 0x7F4080, give or take one per channel
  for (int shift : {16, 8, 0}) EXPECT_NEAR(half >> shift & 255, 0x7F4080u >> shift & 255, 1);
  EXPECT_EQ(Rgb(d, 25, 5), 0x6432FFu);
}

TEST_F(DrawTest, ScissorRoundsHalvesToEvenAndClipsDrawingAndClearing) {
  kx_graphics_SetScissor(0.5f, 1.5f, 100, 100);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{0, 378, 100, 100}));
  kx_graphics_SetScissor(2.5f, 0, 99.5f, 100.5f);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{2, 380, 100, 100}));
  d->SetScissor(10, 20, 100, 50);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{10, 410, 100, 50}));
  d->Cls(0, 255, 0);
  d->SetColor(255, 0, 0);
  d->DrawRect(0, 0, 60, 480);
  // The whole window is "scissoring off", but only while the window is that size.
  for (int width : {640, 320, 640}) {
    d->width = width;
    d->SetScissor(0, 0, 640, 480);
    EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), width != 640) << width;
  }
  d->EndRender();
  EXPECT_EQ(Misses({{5, 40, 0}, {15, 25, 0xFF0000}, {80, 25, 0xFF00}, {80, 75, 0}}), "");
}

TEST_F(DrawTest, SurfaceRectanglesAndTexturedPolygonsSampleTheRightTexels) {
  gxtkSurface* surface = gfxtest::Checker(d);
  d->DrawSurface2(surface, 0, 0, 1, 0, 1, 1);  // the green texel alone
  const float quad[16] = {100, 100, 0, 0, 120, 100, 2, 0, 120, 120, 2, 1, 100, 120, 0, 1};
  d->DrawPoly2(Array<float>(quad, 16), surface, 0, 1);  // the bottom row, stretched
  d->EndRender();
  EXPECT_EQ(Misses({{0, 0, 0xFF00}, {1, 0, 0}, {105, 110, 0xFF}, {115, 110, 0xFFFFFF}}), "");
}

TEST_F(DrawTest, PixelTransfersBeyondTheirArraysOrSurfacesAreRefused) {
  Array<int> small(4);
  gxtkSurface* surface = d->CreateSurface(4, 4);
  // Width, height, offset and pitch of rows that leave the four-int array or overlap.
  const int refused[][4] = {{4, 4, 0, 4}, {2, 2, 0, 1}, {2, 1 << 20, 0, 0}, {-1, 1, 0, 4},
                            {1, -1, 0, 4}, {1, 1, -1, 1}, {1, 1, 4, 1}};
  for (const auto& r : refused) {
    for (int i = 0; i < 4; ++i) small[i] = 7;
    d->ReadPixels(small, 0, 0, r[0], r[1], r[2], r[3]);
    d->WritePixels2(surface, small, 0, 0, r[0], r[1], r[2], r[3]);
    EXPECT_EQ(small[0] + small[1] + small[2] + small[3], 28) << r[0] << "x" << r[1];
  }
  d->WritePixels2(surface, small, 3, 3, 2, 2, 0, 2);
  EXPECT_EQ(surface->data, nullptr);
  // Two rows of two fill the array exactly.
  d->ReadPixels(small, 0, 0, 2, 2, 0, 2);
  EXPECT_EQ(small[3], static_cast<int>(0xFF000000u));
}

// Two frames of a seeded mix in which most state requests repeat the previous one, as in play
// (the second frame starts with the first one's scissor and blend still set): the last
// frame's pixels, and the draw calls of both in `draws`.
std::vector<int> Render(bool filter, int* draws) {
  const int boxes[][4] = {{0, 0, 640, 480}, {10, 20, 300, 200}, {200, 100, 400, 300}};
  std::mt19937 rng(1234);
  auto next = [&rng](int range) { return static_cast<int>(rng() % static_cast<unsigned>(range)); };
  gfxtest::GlRecorder recorder;
  Array<int> pixels(640 * 480);
  int blend = 0, box = 0, shape = 0;
  for (int frame = 0; frame < 2; ++frame) {
    gxtkGraphics* d = gfxtest::NewFrame();
    d->filterState = filter;
    gxtkSurface* checker = gfxtest::Checker(d);
    for (int i = 0; i < 400; ++i) {
      if (next(8) == 0) blend = next(3) == 0;
      if (next(16) == 0) box = next(3);
      if (next(8) == 0) shape = next(4);
      const float size = 4 + next(40), turn = next(360) * 0.0174533f;
      d->SetAlpha(next(100) / 99.0f);
      d->SetColor(next(256), next(256), next(256));
      d->SetBlend(blend);
      d->SetScissor(boxes[box][0], boxes[box][1], boxes[box][2], boxes[box][3]);
      d->SetMatrix(std::cos(turn), -std::sin(turn), std::sin(turn), std::cos(turn), next(600),
                   next(440));
      if (shape == 0) d->DrawRect(0, 0, size, size / 2);
      if (shape == 1) d->DrawSurface2(checker, 0, 0, 0, 0, 2, 2);
      if (shape == 2) d->DrawLine(0, 0, size, size);
      if (shape == 3) d->DrawOval(0, 0, size, size);
    }
    d->EndRender();
    d->ReadPixels(pixels, 0, 0, 640, 480, 0, 640);
  }
  *draws = static_cast<int>(recorder.draws.size());
  return std::vector<int>(pixels.Data(), pixels.Data() + pixels.Length());
}

TEST_F(DrawTest, StateFilterKeepsFramesPixelIdenticalWithFewerDrawCalls) {
  int unfilteredDraws = 0, filteredDraws = 0;
  const std::vector<int> unfiltered = Render(false, &unfilteredDraws);
  EXPECT_TRUE(Render(true, &filteredDraws) == unfiltered) << "the pictures differ";
  EXPECT_LT(filteredDraws * 2, unfilteredDraws);
}

}  // namespace
