// The picture escapes of text and the pointer hit tests. How text is laid out into glyph
// records shows in every recorded replay, whose digests hold every record drawn.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

using Glyphs = std::vector<std::vector<float>>;

class TextTest : public CreatedTest<false> {
 protected:
  void SetUp() override {
    CreatedTest::SetUp();
    UseFont();
    app->p_CLS2D(kx_Skarblit_NoArg, 0, 0, 0);
  }
  // (frame, x, y) of every glyph of `text` laid out at (100, 200); the list is emptied after
  // (which also resets the pen's size and turn).
  Glyphs Text(const char* text, float ax, float ay) {
    app->p_Text(100, 200, String::FromUtf8(text), ax, ay, 0);
    Glyphs g;
    for (const auto& r : Records()) g.push_back({r[6], r[1], r[2]});
    app->p_CLS2D(kx_Skarblit_NoArg, 0, 0, 0);
    return g;
  }
  void PointerAt(int x, int y) {
    app->m_pointerCount = app->m_touchDown[0] = 1;
    app->m_touchX[0] = x, app->m_touchY[0] = y;
  }
};

TEST_F(TextTest, EscapesPickKeyboardOrPadPictures) {
  // Any other letter stands for its own code; shifted to 136 it has no frame.
  app->m_inputStyle = 0;
  EXPECT_EQ(Text("\xC2\xACJ\xC2\xACx", 0, 1), (Glyphs{{112, 107, 200}}));
  app->m_inputStyle = 1;
  // The pad picture U is 6 wider than a cell: the next glyph starts 13 further on.
  Glyphs g = Text("\xC2\xACUA", 0, 1);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(Values(g[0][0], g[1][1]), Values(100, 107 + 13));
  // A lone escape at the end draws nothing and reads nothing past the text.
  EXPECT_EQ(Text("\xC2\xAC", 0, 1), Glyphs{});
}

TEST_F(TextTest, HitTests) {
  EXPECT_EQ(app->p_Touch(10, 10, 20, 20), 0);
  PointerAt(41, 41);
  EXPECT_EQ(app->p_Touch(10, 10, 20, 20), 1);
  EXPECT_EQ(Records().back()[0], -3717.0f);  // the touch area is drawn
  PointerAt(4, 4);
  EXPECT_EQ(app->p_Touch(10, 10, 20, 20), 0);

  app->m_imageInfo[97 * 3] = app->m_imageInfo[97 * 3 + 1] = 32;
  app->m_imageScale = 0.5f;
  app->p_SetSize(2);
  for (auto [x, hit] : {std::pair{115, 1}, std::pair{116, 0}}) {
    PointerAt(x, 100);
    const int pressed = app->p_Button(97, 100, 100, 0);
    EXPECT_EQ(Values(pressed, app->m_buttonHit), Values(hit, hit)) << x;
  }
  // Released points do not hit, even when a position lies inside.
  PointerAt(100, 100);
  app->m_pointerCount = 0;
  EXPECT_EQ(Values(app->p_Button(97, 100, 100, 0), app->p_Button0(97, 100, 100, 0)), Values(0, 0));
  // Any held touch hits a button; only the first touch hits Button0.
  app->m_pointerCount = app->m_touchDown[3] = 1;
  app->m_touchDown[0] = 0;
  app->m_touchX[3] = app->m_touchY[3] = 100;
  EXPECT_EQ(Values(app->p_Button0(97, 100, 100, 0), app->p_Button(97, 100, 100, 0)), Values(0, 1));
}

}  // namespace
}  // namespace gametest
