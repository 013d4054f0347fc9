// The draw-command list: record layout, the bound, clearing, and the replay's scale and shapes.
#include "tests/game/shell/shell_fixture.h"

namespace shelltest {
namespace {

class DrawListTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Create();
    app->p_CLS2D(10, 20, 30, 0.5f);
  }
  // The device calls of one render after the clearing rectangle.
  std::vector<DrawCall> Replay() {
    graphics->calls.clear();
    Render();
    return std::vector<DrawCall>(graphics->calls.begin() + 1, graphics->calls.end());
  }
};

TEST_F(DrawListTest, RecordsCarryKindGeometryAndDrawState) {
  app->p_SetCol(1, 2, 3, 0.25f);
  app->p_SetCol(4, 5, 6);  // alpha left out: kept
  app->p_SetRot(30);
  app->p_SetSize(2);
  app->m_blend = 3;
  app->p_Rect(1, 2, 3, 4);
  app->p_Oval(5, 6, 7, 8);
  app->p_Line(9, 10, 11, 12);
  app->p_SetSize(0.5f, 3);
  app->p_DrawImg(93, 13, 14, 2);
  auto r = Records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0], (std::vector<float>{-3717, 1, 2, -30, 3, 4, 0, 0.25f, 0, 0, 4, 5, 6, 3, 0}));
  EXPECT_EQ(r[1][0], -3716.0f);
  EXPECT_EQ(r[2][0], -3715.0f);
  EXPECT_EQ(r[2][4], 11.0f);
  EXPECT_EQ(r[3], (std::vector<float>{93, 13, 14, -30, 0.5f, 3, 2, 0.25f, 0, 0, 4, 5, 6, 3, 0}));
}

TEST_F(DrawListTest, TheListHoldsAtMost2499RecordsAndClearingEmptiesIt) {
  for (int i = 0; i < 2500; ++i) app->p_Rect(static_cast<float>(i), 0, 1, 1);
  EXPECT_EQ(app->m_drawCount, 2499 * 15);
  EXPECT_EQ(app->m_drawList[2498 * 15 + 1], 2498.0f);
  app->p_SetCol(9, 9, 9, 0.1f);
  app->p_CLS2D(kx_Skarblit_NoArg, 0, 0, 0);
  EXPECT_EQ(app->m_drawCount, 0);
  EXPECT_EQ(app->m_clsRed, 10.0f);
  EXPECT_EQ(app->m_clsAlpha, 0.5f);
  EXPECT_EQ(app->m_red, 255.0f);
  EXPECT_EQ(app->m_alpha, 1.0f);
  // An empty list renders only the clearing rectangle in the clear colour.
  Render();
  ASSERT_EQ(graphics->calls.size(), 1u);
  const DrawCall& clear = graphics->calls[0];
  EXPECT_EQ(clear.kind, 'r');
  EXPECT_EQ(clear.x, -1.0f);
  EXPECT_EQ(clear.w, 642.0f);
  EXPECT_EQ(clear.h, 482.0f);
  EXPECT_EQ(clear.red, 10.0f);
  EXPECT_EQ(clear.alpha, 0.5f);
}

TEST_F(DrawListTest, VirtualScreenFitsTheWindow) {
  struct Case {
    int w, h;
    float scale, vw, vh;
    int landscape;
  } cases[] = {{1280, 960, 2, 640, 480, 1},
               {1280, 720, 2, 640, 360, 1},
               {640, 480, 1, 640, 480, 1},
               {480, 800, 800.0f / 720, 432, 720, 0}};
  for (const Case& c : cases) {
    Resize(c.w, c.h);
    Render();
    EXPECT_FLOAT_EQ(app->m_scaleX, c.scale) << c.w << "x" << c.h;
    EXPECT_FLOAT_EQ(app->m_scaleY, c.scale);
    EXPECT_FLOAT_EQ(kx_Skarblit_jscrw, c.vw);
    EXPECT_FLOAT_EQ(kx_Skarblit_jscrh, c.vh);
    EXPECT_EQ(app->m_landscape, c.landscape);
  }
  // A minimised window keeps the last fit instead of dividing by zero.
  Resize(0, 0);
  Render();
  EXPECT_FLOAT_EQ(kx_Skarblit_jscrw, 432);
}

TEST_F(DrawListTest, ReplayScalesShapesAndKeepsThemUnrotated) {
  Resize(1280, 960);
  app->p_SetRot(45);
  app->p_SetCol(200, 100, 50, 0.75f);
  app->p_Rect(10, 20, 30, 40);
  app->p_Oval(100, 100, 10, 20);
  app->m_blend = 3;
  app->p_Line(1, 2, 3, 4);
  auto calls = Replay();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, 'r');
  EXPECT_EQ(std::vector<float>({calls[0].x, calls[0].y, calls[0].w, calls[0].h}),
            std::vector<float>({20, 40, 60, 80}));
  EXPECT_EQ(calls[0].ix, 1.0f);  // no rotation reaches the device
  EXPECT_EQ(calls[0].iy, 0.0f);
  EXPECT_EQ(calls[0].red, 200.0f);
  EXPECT_EQ(calls[0].alpha, 0.75f);
  EXPECT_EQ(calls[0].blend, 0);
  // The oval's box is (90, 80)-(110, 120) in virtual units.
  EXPECT_EQ(calls[1].kind, 'o');
  EXPECT_EQ(std::vector<float>({calls[1].x, calls[1].y, calls[1].w, calls[1].h}),
            std::vector<float>({180, 160, 40, 80}));
  EXPECT_EQ(calls[2].kind, 'l');
  EXPECT_EQ(calls[2].blend, 1);  // blend code 3 is drawn additively
  EXPECT_EQ(std::vector<float>({calls[2].x, calls[2].y, calls[2].w, calls[2].h}),
            std::vector<float>({2, 4, 6, 8}));
  // After the replay the context is left white at half alpha.
  EXPECT_EQ(graphics->alpha, 0.5f);
  EXPECT_EQ(graphics->blue, 255.0f);
}

TEST_F(DrawListTest, ImagesAreRotatedAndScaledAndEmptySlotsDrawNothing) {
  // A 64x32 picture with a centred handle in slot 5; slot 6 stays empty.
  gxtkSurface* surface = graphics->CreateSurface(64, 32);
  c_Image* image = (new c_Image)->m_new()->p_Init(surface, 1, 1);
  gc_assign(app->m_images[5], image);
  app->m_imageScale = 0.5f;
  Resize(1280, 960);
  app->p_SetRot(90);
  app->p_SetSize(3, 1);
  app->p_DrawImg(5, 100, 50, 0);
  app->p_DrawImg(6, 100, 50, 0);
  app->p_DrawImg(150, 100, 50, 0);
  auto calls = Replay();
  ASSERT_EQ(calls.size(), 1u);
  const DrawCall& c = calls[0];
  EXPECT_EQ(c.kind, 's');
  // Scale 2 (window) x 3 (record) x 0.5 (asset scale) across, 2 x 1 x 0.5 down, turned by
  // the stored -90 degrees about the handle placed at (200, 100).
  EXPECT_NEAR(c.ix, 0, 1e-5);
  EXPECT_NEAR(c.iy, 3, 1e-5);
  EXPECT_NEAR(c.jx, -1, 1e-5);
  EXPECT_NEAR(c.jy, 0, 1e-5);
  float hx = c.ix * (c.x - 0) + c.jx * c.y + c.tx;  // where the frame's corner lands
  float hy = c.iy * (c.x - 0) + c.jy * c.y + c.ty;
  EXPECT_NEAR(hx, 200 + 16, 1e-3);
  EXPECT_NEAR(hy, 100 - 96, 1e-3);
}

TEST_F(DrawListTest, AWindowSizeChangeBetweenRendersRestartsTheLoader) {
  Render();
  app->m_loading = 0;
  Render();
  EXPECT_EQ(app->m_loading, 0);
  Resize(800, 600);
  Render();
  EXPECT_EQ(app->m_loading, 1);
  EXPECT_EQ(app->m_lastDevWidth, 800);
}

}  // namespace
}  // namespace shelltest
