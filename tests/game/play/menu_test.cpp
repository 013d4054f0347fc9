// The main menu through the frame cycle: key repeat, quitting, the dial under the pointer,
// the score lists on a short screen.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class MenuTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    for (int i = 0; i < 40; ++i) Update();  // past the intro
  }
  void Mouse(int event, float x, float y) { input->p_MouseEvent(event, 0, x, y); }
};

TEST_F(MenuTest, BackKeyQuitsOnlyWithNoOverlayOpen) {
  app->m_creditsOpen = 1;
  Hit(27);
  Update();
  EXPECT_EQ(Values(app->m_creditsOpen, host->Quitting()), Values(0, 0));
  Hit(27);
  EXPECT_TRUE(host->Quitting());
}

TEST_F(MenuTest, ADragAcrossTheDialDoesNotStartAGameButAClickDoes) {
  // The selected (Normal) segment sits at about (171, 296) once the dial has settled.
  Mouse(KxEventMouseDown, 110, 330);
  Update();
  for (int step = 1; step <= 5; ++step) {
    Mouse(KxEventMouseMove, 110 + 12.2f * step, 330 - 6.8f * step);
    Update();
  }
  Mouse(KxEventMouseUp, 171, 296);
  Update();
  EXPECT_NE(app->m_dialSpin, 0);
  for (int i = 0; i < 60; ++i) Update();
  EXPECT_EQ(app->m_gameState, 1) << "a drag";
  app->m_diffSel = 1;
  app->m_dialTarget = -32;
  for (int i = 0; i < 60; ++i) Update();
  Mouse(KxEventMouseDown, 171, 296);
  Update();
  EXPECT_EQ(Values(app->m_gameState, app->m_inputStyle), Values(11, 2));
}

TEST_F(MenuTest, ScoreListsKeepToTheRowsThatFitTheHeight) {
  app->m_imageInfo[app->m_font * 3 + 1] = 16;
  // One "0" per row of each list: six rows fit, then one.
  for (const auto& c : {std::make_pair(480.0f, 6), std::make_pair(100.0f, 1)}) {
    kx_Skarblit_jscrh = c.first;
    Update();
    int zeros = 0;
    for (const auto& r : Records()) zeros += r[0] == app->m_font && r[6] == '0' - 32;
    EXPECT_EQ(zeros, 2 * c.second) << c.first;
  }
}

}  // namespace
}  // namespace gametest
