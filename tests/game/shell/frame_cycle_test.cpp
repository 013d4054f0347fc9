// The frame cycle: the quiet exits, suspension and resumption, pointer sampling, one-press
// entries and the tune following the pause. (The arcade cabinet's letters steer
// icade_quit_game's replay.)
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

using FrameCycleTest = CreatedTest<true>;

TEST_F(FrameCycleTest, F4AndTheCloseKeyEndTheRunQuietlyWithoutSaving) {
  for (int key : {115, 432}) {
    host->ClearQuit();
    size_t saves = host->saves.size();
    Hit(key);
    EXPECT_EQ(Values(host->Quitting(), host->saves.size()), Values(1, saves)) << key;
  }
}

TEST_F(FrameCycleTest, SuspensionSavesSlowsDownAndPausesARunningGame) {
  app->p_OnSuspend();  // at the menu: saved and slowed down, with no game to pause
  EXPECT_EQ(Values(kx_app__updateRate, app->m_paused, host->saves.size()), Values(5, 0, 1));
  app->p_OnResume();
  EXPECT_EQ(Values(kx_app__updateRate, host->saves.size()), Values(60, 1));

  app->m_gameState = 10;
  kx_Skarblit_iCadeControls = 1;
  app->m_screenButtons[3] = 2, app->m_screenButtons[19] = 1;
  app->p_OnSuspend();
  // All but the back key let go.
  EXPECT_EQ(Values(app->m_paused, app->m_pauseMenu, app->m_pauseSlide, kx_Skarblit_iCadeControls,
                   app->m_screenButtons[3], app->m_screenButtons[19]),
            Values(1, 1, 240, 0, 0, 1));
  app->m_paused = 0;
  app->p_OnResume();
  // Paused again, and the saved state is the whole string.
  EXPECT_EQ(Values(app->m_paused, app->m_pauseMenu, host->stored.Split(String("|")).Length()),
            Values(1, 1, 99));
}

TEST_F(FrameCycleTest, PointersAreSampledInVirtualUnits) {
  Resize(1280, 960);
  Render();
  input->p_MouseEvent(KxEventMouseMove, 0, 300, 101);
  input->p_MouseEvent(KxEventMouseDown, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchDown, 2, 64, 32);
  app->m_pointerLock = 1;
  Update();
  EXPECT_EQ(Values(app->m_pointerX, app->m_pointerY, app->m_pointerCount, app->m_touchDown[0],
                   app->m_touchX[2], app->m_touchY[2], app->m_touchX[5], app->m_pointerLock),
            Values(150, 50, 1, 1, 32, 16, -3717, 1));
  input->p_MouseEvent(KxEventMouseUp, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchUp, 2, 64, 32);
  Update();
  EXPECT_EQ(Values(app->m_pointerCount, app->m_touchX[0], app->m_pointerLock), Values(0, -3717, 0));
}

TEST_F(FrameCycleTest, MusicFollowsThePauseAndOverlaysLockInput) {
  app->m_musicOn = app->m_paused = 1;
  Update();
  EXPECT_EQ(audio->Count("pausemusic"), 1);
  app->m_paused = 0;
  Update();
  kx_Skarblit_HasMusicStream = 0;  // nothing to resume
  Update();
  EXPECT_EQ(audio->Count("resumemusic"), 1);
  app->m_optionsOpen = 1;
  Update();
  EXPECT_EQ(Values(app->m_keyLock, app->m_pointerLock), Values(1, 1));
}

}  // namespace
}  // namespace gametest
