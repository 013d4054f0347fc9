// The draw-command list: the bound, clearing, and the replay's fit, scale and shapes.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class DrawListTest : public CreatedTest<false> {
 protected:
  void SetUp() override {
    CreatedTest::SetUp();
    app->p_CLS2D(10, 20, 30, 0.5f);
  }
  // The device calls of one render after the clearing rectangle.
  std::vector<DrawCall> Replay() {
    graphics->calls.clear();
    Render();
    return std::vector<DrawCall>(graphics->calls.begin() + 1, graphics->calls.end());
  }
};

TEST_F(DrawListTest, TheListHoldsAtMost2499RecordsAndClearingEmptiesIt) {
  for (int i = 0; i < 2500; ++i) app->p_Rect(static_cast<float>(i), 0, 1, 1);
  EXPECT_EQ(Values(app->m_drawCount, app->m_drawList[2498 * 15 + 1]), Values(2499 * 15, 2498));
  app->p_SetCol(9, 9, 9, 0.1f);
  app->p_CLS2D(kx_Skarblit_NoArg, 0, 0, 0);  // keeps the clear colour, resets the pen
  EXPECT_EQ(Values(app->m_drawCount, app->m_clsRed, app->m_clsAlpha, app->m_red, app->m_alpha),
            Values(0, 10, 0.5f, 255, 1));
  // An empty list renders only the clearing rectangle in the clear colour.
  Render();
  ASSERT_EQ(graphics->calls.size(), 1u);
  const DrawCall& c = graphics->calls[0];
  EXPECT_EQ(Values(c.x, c.y, c.w, c.h, c.red, c.alpha), Values(-1, -1, 642, 482, 10, 0.5f));
}

TEST_F(DrawListTest, VirtualScreenFitsTheWindow) {
  // window width and height -> scale, virtual width and height, landscape
  const float cases[][6] = {{1280, 960, 2, 640, 480, 1},
                            {1280, 720, 2, 640, 360, 1},
                            {640, 480, 1, 640, 480, 1},
                            {480, 800, 800.0f / 720, 432, 720, 0}};
  for (const auto& c : cases) {
    Resize(static_cast<int>(c[0]), static_cast<int>(c[1]));
    Render();
    SCOPED_TRACE(testing::Message() << c[0] << "x" << c[1]);
    EXPECT_EQ(Values(app->m_scaleY, app->m_landscape), Values(app->m_scaleX, c[5]));
    EXPECT_FLOAT_EQ(app->m_scaleX, c[2]);
    EXPECT_FLOAT_EQ(kx_Skarblit_jscrw, c[3]);
    EXPECT_FLOAT_EQ(kx_Skarblit_jscrh, c[4]);
  }
  // A minimised window keeps the last fit instead of dividing by zero.
  Resize(0, 0);
  Render();
  EXPECT_FLOAT_EQ(kx_Skarblit_jscrw, 432);
}

// What the device is asked to draw: the window's scale, unrotated shapes, partial alpha, the
// blend code and the state left behind.
TEST_F(DrawListTest, ReplayScalesShapesAndKeepsThemUnrotated) {
  Resize(1280, 960);
  app->p_SetRot(45);
  app->p_SetCol(200, 100, 50, 0.75f);
  app->p_SetCol(200, 100, 50);  // alpha left out: kept
  app->p_Rect(10, 20, 30, 40);
  app->m_blend = 3;
  app->p_Line(1, 2, 3, 4);
  auto calls = Replay();
  ASSERT_EQ(calls.size(), 2u);
  const DrawCall &a = calls[0], &b = calls[1];
  EXPECT_EQ(Values(a.kind, a.x, a.y, a.w, a.h, a.ix, a.iy, a.red, a.alpha, a.blend),
            Values('r', 20, 40, 60, 80, 1, 0, 200, 0.75f, 0));
  // Blend code 3 is drawn additively.
  EXPECT_EQ(Values(b.kind, b.blend, b.x, b.y, b.w, b.h), Values('l', 1, 2, 4, 6, 8));
  // After the replay the context is left white at half alpha.
  EXPECT_EQ(Values(graphics->alpha, graphics->b), Values(0.5f, 255));
}

TEST_F(DrawListTest, ImagesAreRotatedAndScaledAndEmptySlotsDrawNothing) {
  // A 64x32 picture with a centred handle in slot 5; slot 6 stays empty, 150 does not exist.
  c_Image* image = (new c_Image)->m_new()->p_Init(graphics->CreateSurface(64, 32), 1, 1);
  gc_assign(app->m_images[5], image);
  app->m_imageScale = 0.5f;
  Resize(1280, 960);
  app->p_SetRot(90);
  app->p_SetSize(3, 1);
  for (int slot : {5, 6, 150}) app->p_DrawImg(slot, 100, 50, 0);
  auto calls = Replay();
  ASSERT_EQ(calls.size(), 1u);
  const DrawCall& c = calls[0];
  EXPECT_EQ(c.kind, 's');
  // Scale 2 (window) x 3 (record) x 0.5 (asset scale) across, 2 x 1 x 0.5 down, turned by
  // the stored -90 degrees about the handle placed at (200, 100).
  const float matrix[4] = {c.ix, c.iy, c.jx, c.jy}, expected[4] = {0, 3, -1, 0};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(matrix[i], expected[i], 1e-5) << i;
  EXPECT_NEAR(c.ix * c.x + c.jx * c.y + c.tx, 200 + 16, 1e-3);  // where the frame's corner lands
  EXPECT_NEAR(c.iy * c.x + c.jy * c.y + c.ty, 100 - 96, 1e-3);
}

}  // namespace
}  // namespace gametest
