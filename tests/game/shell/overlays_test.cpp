// The overlays over menu and play: the options box, the pause menu and the credits box, driven
// through the frame cycle with keys and the mouse as a player would. (Closing the box with the
// back key, which saves, and the credits sliding in show in menu_walk's replay.)
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class OverlayTest : public CreatedTest<true> {
 protected:
  // A key held across one update and released across the next, as a player's press.
  void Press(int code) {
    Hit(code);
    Update();
  }
  void OpenOptions() {
    app->m_optionsOpen = 1;
    for (int i = 0; i < 40; ++i) Update();
    ASSERT_EQ(app->m_optionsSlide, 30);
  }
};

TEST_F(OverlayTest, SoundRowCyclesTheModesOncePerPressAndStopsTheTuneWhereItMustBeSilent) {
  app->m_settings[5] = 7;  // out of range: shown and kept as off
  OpenOptions();
  EXPECT_EQ(app->m_settings[5], 0);
  EXPECT_NE(DrawnText().find("Sound:Off"), std::string::npos) << DrawnText();
  Press(40);  // down to the sound row
  ASSERT_EQ(app->m_optRow, 1);
  // Each press: the mode after it, and the tune stops so far.
  const int stops = audio->Count("stopmusic"), after[][2] = {{1, 0}, {2, 1}, {3, 1}, {0, 2}};
  for (const auto& a : after) {
    Press(13);
    EXPECT_EQ(Values(app->m_settings[5], audio->Count("stopmusic") - stops), Values(a[0], a[1]));
  }
}

TEST_F(OverlayTest, AnActionKeyHeldOnAnyRowActsOnceWithOneClick) {
  // Row; then after 60 updates of holding enter: box open, sound mode, cabinet keys, full
  // screen, credits open, clicks (the switch to the credits is silent). Full screen stays on,
  // so it comes last.
  const int rows[][7] = {{0, 0, 1, 0, 0, 0, 1}, {1, 1, 2, 0, 0, 0, 1}, {2, 1, 1, 1, 0, 0, 1},
                         {4, 0, 1, 0, 0, 1, 0}, {3, 1, 1, 0, 1, 0, 1}};
  for (const auto& r : rows) {
    app->m_settings[5] = 1;
    app->p_iCade(0);
    app->m_creditsOpen = 0;
    OpenOptions();
    app->m_optRow = r[0];
    audio->log.clear();
    KeyDown(13);
    for (int i = 0; i < 60; ++i) Update();
    KeyUp(13);
    EXPECT_EQ(std::vector<int>({app->m_optionsOpen, app->m_settings[5], kx_Skarblit_iCadeControls,
                                app->m_fullscreen, app->m_creditsOpen, audio->Count("play")}),
              std::vector<int>(r + 1, r + 7))
        << "row " << r[0];
  }
}

// The pause menu at rest in the middle of the screen, driven directly as play would.
TEST_F(OverlayTest, ThePauseMenusBackKeyResumesAndNeverQuits) {
  app->m_paused = app->m_pauseMenu = 1;
  app->m_pauseSel = 0;
  app->m_pauseSlide = 240;
  app->m_keyLock = app->m_pointerLock = 0;
  KeyDown(27);
  app->p_PauseMenu();
  EXPECT_EQ(Values(app->m_pauseMenu, app->m_gameOver, app->m_keyLock), Values(-1, 0, 1));
}

TEST_F(OverlayTest, TheClickThatOpenedTheCreditsDoesNotCloseThem) {
  OpenOptions();
  // Click the credits row with the mouse.
  const float x = 640 - 264 + 20, y = 130 + 80 + 56;
  input->p_MouseEvent(KxEventMouseDown, 0, x, y);
  for (int i = 0; i < 6; ++i) Update();
  EXPECT_EQ(app->m_creditsOpen, 1) << "held pointer";
  input->p_MouseEvent(KxEventMouseUp, 0, x, y);
  // The options box keeps both locks while it slides away.
  for (int i = 0; i < 31; ++i) Update();
  EXPECT_EQ(Values(app->m_optionsSlide, app->m_creditsOpen), Values(0, 1));
  input->p_MouseEvent(KxEventMouseDown, 0, 320, 240);
  Update();
  EXPECT_EQ(app->m_creditsOpen, 0);
}

}  // namespace
}  // namespace gametest
