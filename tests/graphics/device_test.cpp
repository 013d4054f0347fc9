// The render device: what reaches OpenGL (batching seen through the seam) and what lands in
// the frame buffer.
#include <gtest/gtest.h>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::GlRecorder;
using gfxtest::Rgb;

class RenderDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    d = gfxtest::NewFrame();
  }
  gxtkGraphics* d = nullptr;
};

TEST_F(RenderDeviceTest, RectanglesFillTheBatchThenFlushTheRest) {
  GlRecorder gl;
  for (int i = 0; i < 300; ++i) d->DrawRect(i, 0, 1, 1);
  EXPECT_EQ(gl.draws.size(), 1u);
  d->EndRender();
  ASSERT_EQ(gl.draws.size(), 2u);
  EXPECT_EQ(gl.draws[0].count, 1024 / 4 * 6);
  EXPECT_EQ(gl.draws[1].count, 176 / 4 * 6);
}

TEST_F(RenderDeviceTest, KindOrTextureChangesFlushButMatrixChangesDoNot) {
  gxtkSurface* surface = gfxtest::Checker(d);
  GlRecorder gl;
  d->DrawRect(0, 0, 4, 4);
  d->DrawSurface(surface, 10, 10);
  EXPECT_EQ(gl.draws.size(), 1u);
  d->SetMatrix(0, -1, 1, 0, 50, 50);
  d->DrawSurface(surface, 10, 10);
  d->DrawLine(0, 0, 5, 5);
  d->DrawLine(0, 5, 5, 0);
  d->EndRender();
  ASSERT_EQ(gl.draws.size(), 3u);
  EXPECT_EQ(gl.draws[1].count, 12) << "both image quads in one call";
  EXPECT_EQ(gl.draws[2].mode, static_cast<GLenum>(GL_LINES));
  EXPECT_EQ(gl.draws[2].count, 4);
}

TEST_F(RenderDeviceTest, OvalSegmentsFollowTheSizeAndOnlyEqualOnesShareABatch) {
  GlRecorder gl;
  d->DrawOval(0, 0, 10, 10);
  d->DrawOval(0, 0, 100, 60);
  d->DrawOval(0, 0, 102, 61);  // 51 + 30 (half to even) = 81, down to a multiple of 4
  d->DrawOval(0, 0, 3000, 3000);
  d->SetMatrix(0, 2, -2, 0, 0, 0);  // a quarter turn at twice the size
  d->DrawOval(0, 0, 100, 60);
  d->EndRender();
  std::vector<std::pair<int, int>> fans;  // (first vertex, vertices); first 0 starts a batch
  for (const gfxtest::DrawCall& call : gl.draws) fans.push_back({call.first, call.count});
  const std::vector<std::pair<int, int>> want = {{0, 12}, {0, 80}, {80, 80}, {0, 1024}, {0, 160}};
  EXPECT_EQ(fans, want);
  EXPECT_EQ(gl.draws[0].mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
}

TEST_F(RenderDeviceTest, ClsDropsPendingPrimitives) {
  GlRecorder gl;
  d->DrawRect(0, 0, 640, 480);
  d->Cls(0, 0, 255);
  d->EndRender();
  EXPECT_TRUE(gl.draws.empty());
  EXPECT_EQ(Rgb(d, 320, 240), 0x0000FFu);
}

TEST_F(RenderDeviceTest, ShapesLandWhereAsked) {
  d->SetColor(255, 0, 0);
  d->DrawRect(10, 20, 30, 40);
  d->SetColor(0, 255, 0);
  d->DrawLine(100.5f, 0, 100.5f, 100);
  d->DrawPoint(400.5f, 300.5f);
  d->SetColor(0, 0, 255);
  d->DrawOval(200, 100, 100, 60);
  d->EndRender();
  EXPECT_EQ(Rgb(d, 10, 20) & Rgb(d, 39, 59), 0xFF0000u);
  EXPECT_EQ(Rgb(d, 40, 60) | Rgb(d, 9, 20) | Rgb(d, 101, 50), 0u);
  EXPECT_EQ(Rgb(d, 100, 50) & Rgb(d, 400, 300), 0x00FF00u);
  EXPECT_EQ(Rgb(d, 250, 130) & Rgb(d, 202, 130), 0x0000FFu);
  EXPECT_EQ(Rgb(d, 203, 103), 0u) << "the corner of the oval's box stays empty";
}

TEST_F(RenderDeviceTest, PremultipliedAndAdditiveBlending) {
  d->Cls(0, 0, 255);
  d->SetColor(255, 0, 0);
  d->SetAlpha(0.5f);
  d->DrawRect(0, 0, 10, 10);
  d->SetBlend(1);
  d->SetColor(100, 50, 0);
  d->SetAlpha(1);
  d->DrawRect(20, 0, 10, 10);
  d->EndRender();
  EXPECT_TRUE(gfxtest::Near(Rgb(d, 5, 5), 0x7F0080u));
  EXPECT_EQ(Rgb(d, 25, 5), 0x6432FFu);
}

TEST_F(RenderDeviceTest, ScissorClipsDrawingAndClearing) {
  d->SetScissor(10, 20, 100, 50);
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 410, 100, 50}));
  d->Cls(0, 255, 0);
  d->SetColor(255, 0, 0);
  d->DrawRect(0, 0, 60, 480);
  d->SetScissor(0, 0, 640, 480);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  d->EndRender();
  EXPECT_EQ(Rgb(d, 5, 40), 0u);
  EXPECT_EQ(Rgb(d, 15, 25), 0xFF0000u);
  EXPECT_EQ(Rgb(d, 80, 25), 0x00FF00u);
  EXPECT_EQ(Rgb(d, 80, 75), 0u);
}

TEST_F(RenderDeviceTest, SurfaceRectanglesAndTexturedPolygonsSampleTheRightTexels) {
  gxtkSurface* surface = gfxtest::Checker(d);
  d->DrawSurface2(surface, 0, 0, 1, 0, 1, 1);  // the green texel alone
  Array<float> xyuv(16);
  const float quad[16] = {100, 100, 0, 0, 120, 100, 2, 0, 120, 120, 2, 1, 100, 120, 0, 1};
  for (int i = 0; i < 16; ++i) xyuv[i] = quad[i];
  d->DrawPoly2(xyuv, surface, 0, 1);  // the bottom row, stretched
  d->EndRender();
  EXPECT_EQ(Rgb(d, 0, 0), 0x00FF00u);
  EXPECT_EQ(Rgb(d, 1, 0), 0u);
  EXPECT_EQ(Rgb(d, 105, 110), 0x0000FFu);
  EXPECT_EQ(Rgb(d, 115, 110), 0xFFFFFFu);
}

TEST_F(RenderDeviceTest, PixelTransfersBeyondTheirArraysOrSurfacesAreRefused) {
  Array<int> small(4);
  small[3] = 7;
  d->ReadPixels(small, 0, 0, 4, 4, 0, 4);
  EXPECT_EQ(small[3], 7);
  gxtkSurface* surface = d->CreateSurface(4, 4);
  d->WritePixels2(surface, small, 0, 0, 4, 4, 0, 4);
  d->WritePixels2(surface, small, 3, 3, 2, 2, 0, 2);
  EXPECT_EQ(surface->data, nullptr);
}

}  // namespace
