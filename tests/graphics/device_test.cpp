// The render device: what reaches OpenGL (batching observed through the seam) and what lands
// in the frame buffer.
#include <gtest/gtest.h>

#include "tests/graphics/harness.h"

namespace {

using gfxtest::DrawCall;
using gfxtest::GlRecorder;
using gfxtest::NearRgb;
using gfxtest::Pixel;

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
    device = gfxtest::NewFrame();
    device->Cls(0, 0, 0);
  }
  gxtkGraphics* device = nullptr;
};

// A 2x2 RGBA surface made in memory: red, green / blue, white.
gxtkSurface* Checker(gxtkGraphics* device) {
  gxtkSurface* surface = device->CreateSurface(2, 2);
  Array<int> argb(4);
  argb[0] = static_cast<int>(0xFFFF0000u);
  argb[1] = static_cast<int>(0xFF00FF00u);
  argb[2] = static_cast<int>(0xFF0000FFu);
  argb[3] = static_cast<int>(0xFFFFFFFFu);
  device->WritePixels2(surface, argb, 0, 0, 2, 2, 0, 2);
  return surface;
}

TEST_F(DeviceTest, RectanglesFillTheBatchThenFlushTheRest) {
  GlRecorder gl;
  for (int i = 0; i < 300; ++i) device->DrawRect(i, 0, 1, 1);
  ASSERT_EQ(gl.draws.size(), 1u);
  device->EndRender();
  ASSERT_EQ(gl.draws.size(), 2u);
  EXPECT_TRUE(gl.draws[0].indexed);
  EXPECT_EQ(gl.draws[0].count, 1024 / 4 * 6);
  EXPECT_EQ(gl.draws[1].count, 176 / 4 * 6);
}

TEST_F(DeviceTest, AKindOrTextureChangeFlushesButAMatrixChangeDoesNot) {
  gxtkSurface* surface = Checker(device);
  GlRecorder gl;
  device->DrawRect(0, 0, 4, 4);
  device->DrawSurface(surface, 10, 10);
  EXPECT_EQ(gl.draws.size(), 1u) << "untextured quad flushed before the textured one";
  device->SetMatrix(0, -1, 1, 0, 50, 50);
  device->DrawSurface(surface, 10, 10);
  device->DrawLine(0, 0, 5, 5);
  device->DrawLine(0, 5, 5, 0);
  device->EndRender();
  ASSERT_EQ(gl.draws.size(), 3u);
  EXPECT_EQ(gl.draws[1].count, 12) << "both image quads in one call";
  EXPECT_EQ(gl.draws[2].mode, static_cast<GLenum>(GL_LINES));
  EXPECT_EQ(gl.draws[2].count, 4);
}

TEST_F(DeviceTest, OvalSegmentsFollowTheSizeAndSeparateBatches) {
  GlRecorder gl;
  device->DrawOval(0, 0, 10, 10);
  device->DrawOval(0, 0, 100, 60);
  device->DrawOval(0, 0, 100, 60);
  device->DrawOval(0, 0, 3000, 3000);
  device->EndRender();
  std::vector<std::pair<int, int>> fans;  // (first, count)
  for (const DrawCall& d : gl.draws) {
    EXPECT_EQ(d.mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
    fans.push_back({d.first, d.count});
  }
  // A first vertex of 0 starts a new batch; the two equal ovals share one.
  std::vector<std::pair<int, int>> want = {{0, 12}, {0, 80}, {80, 80}, {0, 1024}};
  EXPECT_EQ(fans, want);
}

TEST_F(DeviceTest, RotatedOvalsEstimateSegmentsFromTheScaledRadii) {
  GlRecorder gl;
  device->SetMatrix(0, 2, -2, 0, 0, 0);  // a quarter turn and twice the size
  device->DrawOval(0, 0, 100, 60);
  device->EndRender();
  ASSERT_EQ(gl.draws.size(), 1u);
  EXPECT_EQ(gl.draws[0].count, 160);
}

TEST_F(DeviceTest, ClsDropsPendingPrimitives) {
  GlRecorder gl;
  device->SetColor(255, 0, 0);
  device->DrawRect(0, 0, 640, 480);
  device->Cls(0, 0, 255);
  device->EndRender();
  EXPECT_TRUE(gl.draws.empty());
  EXPECT_TRUE(NearRgb(Pixel(device, 320, 240), 0, 0, 255, 0));
}

TEST_F(DeviceTest, PremultipliedColourBytes) {
  device->SetColor(255, 128, 0);
  device->SetAlpha(0.5f);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&device->colorARGB);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[1], 64);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[3], 127);
}

TEST_F(DeviceTest, ShapesLandWhereAsked) {
  device->SetColor(255, 0, 0);
  device->DrawRect(10, 20, 30, 40);
  device->SetColor(0, 255, 0);
  device->DrawLine(100.5f, 0, 100.5f, 100);
  device->SetColor(0, 0, 255);
  device->DrawOval(200, 100, 100, 60);
  device->SetColor(255, 255, 0);
  device->DrawPoint(400.5f, 300.5f);
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 10, 20), 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 39, 59), 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 40, 60), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 9, 20), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 100, 50), 0, 255, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 102, 50), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 250, 130), 0, 0, 255));
  EXPECT_TRUE(NearRgb(Pixel(device, 202, 130), 0, 0, 255));
  EXPECT_TRUE(NearRgb(Pixel(device, 203, 103), 0, 0, 0)) << "corner of the box stays empty";
  EXPECT_TRUE(NearRgb(Pixel(device, 400, 300), 255, 255, 0));
}

TEST_F(DeviceTest, BlendingWorksOnPremultipliedColour) {
  device->Cls(0, 0, 255);
  device->SetColor(255, 0, 0);
  device->SetAlpha(0.5f);
  device->DrawRect(0, 0, 10, 10);
  device->SetBlend(1);
  device->SetColor(100, 50, 0);
  device->SetAlpha(1);
  device->DrawRect(20, 0, 10, 10);
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 5, 5), 127, 0, 128));
  EXPECT_TRUE(NearRgb(Pixel(device, 25, 5), 100, 50, 255));
}

TEST_F(DeviceTest, ScissorClipsDrawingAndClearing) {
  device->SetScissor(10, 20, 100, 50);
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 410, 100, 50}));
  device->Cls(0, 255, 0);
  device->SetColor(255, 0, 0);
  device->DrawRect(0, 0, 60, 480);
  device->SetScissor(0, 0, 640, 480);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 5, 40), 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 15, 25), 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 80, 25), 0, 255, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 80, 75), 0, 0, 0));
}

TEST_F(DeviceTest, SurfacesAndTexturedPolygonsSampleTheRightTexels) {
  gxtkSurface* surface = Checker(device);
  device->DrawSurface2(surface, 0, 0, 1, 0, 1, 1);  // the green texel alone
  Array<float> xyuv(16);
  const float quad[16] = {100, 100, 0, 0, 120, 100, 2, 0, 120, 120, 2, 1, 100, 120, 0, 1};
  for (int i = 0; i < 16; ++i) xyuv[i] = quad[i];
  device->DrawPoly2(xyuv, surface, 0, 1);  // the bottom row, stretched
  device->EndRender();
  EXPECT_TRUE(NearRgb(Pixel(device, 0, 0), 0, 255, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 1, 0), 0, 0, 0, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 105, 110), 0, 0, 255, 0));
  EXPECT_TRUE(NearRgb(Pixel(device, 115, 110), 255, 255, 255, 0));
}

TEST_F(DeviceTest, PixelTransfersOutsideTheirArraysAreRefused) {
  Array<int> small(4);
  small[3] = 7;
  device->ReadPixels(small, 0, 0, 4, 4, 0, 4);
  EXPECT_EQ(small[3], 7);
  gxtkSurface* surface = device->CreateSurface(4, 4);
  device->WritePixels2(surface, small, 0, 0, 4, 4, 0, 4);
  device->WritePixels2(surface, small, 3, 3, 2, 2, 0, 2);
  EXPECT_EQ(surface->data, nullptr);
  EXPECT_EQ(device->CreateSurface(0, 5), nullptr);
}

}  // namespace
