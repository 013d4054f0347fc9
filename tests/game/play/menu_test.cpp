// The main menu through the frame cycle: the dial under the pointer. (The score lists, the back
// key closing an overlay, and quitting with none open, are in menu_walk's replay.)
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

using MenuTest = PlayTest;

TEST_F(MenuTest, ADragAcrossTheDialDoesNotStartAGameButAClickDoes) {
  for (int i = 0; i < 40; ++i) Update();  // past the intro
  // The selected (Normal) segment sits at about (171, 296) once the dial has settled.
  input->p_MouseEvent(KxEventMouseDown, 0, 110, 330);
  Update();
  for (int step = 1; step <= 5; ++step) {
    input->p_MouseEvent(KxEventMouseMove, 0, 110 + 12.2f * step, 330 - 6.8f * step);
    Update();
  }
  input->p_MouseEvent(KxEventMouseUp, 0, 171, 296);
  Update();
  EXPECT_NE(app->m_dialSpin, 0);
  for (int i = 0; i < 60; ++i) Update();
  EXPECT_EQ(app->m_gameState, 1) << "a drag";
  app->m_diffSel = 1;
  app->m_dialTarget = -32;
  for (int i = 0; i < 60; ++i) Update();
  input->p_MouseEvent(KxEventMouseDown, 0, 171, 296);
  Update();
  EXPECT_EQ(Values(app->m_gameState, app->m_inputStyle), Values(11, 2));
}

}  // namespace
}  // namespace gametest
