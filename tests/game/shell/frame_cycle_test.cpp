// The frame cycle: the quiet exits, suspension and resumption, pointer sampling, arcade-cabinet
// letters, one-press entries and the tune following the pause.
#include "tests/game/shell/shell_fixture.h"

namespace shelltest {
namespace {

class FrameCycleTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Create();
    LoadAll();
  }
  std::vector<int> Buttons(std::initializer_list<int> slots) {
    std::vector<int> v;
    for (int i : slots) v.push_back(app->m_screenButtons[i]);
    return v;
  }
};

TEST_F(FrameCycleTest, F4AndTheCloseKeyEndTheRunQuietlyWithoutSaving) {
  for (int key : {115, 432}) {
    host->ClearQuit();
    size_t saves = host->saves.size();
    Hit(key);
    EXPECT_TRUE(host->Quitting()) << key;
    EXPECT_EQ(host->saves.size(), saves) << key;
  }
}

TEST_F(FrameCycleTest, SuspensionSavesSlowsDownAndPausesARunningGame) {
  app->p_OnSuspend();  // at the menu: saved and slowed down, with no game to pause
  EXPECT_EQ(std::vector<int>({kx_app__updateRate, app->m_paused}), std::vector<int>({5, 0}));
  EXPECT_EQ(host->saves.size(), 1u);
  app->p_OnResume();
  EXPECT_EQ(kx_app__updateRate, 60);
  EXPECT_EQ(host->saves.size(), 1u);

  app->m_gameState = 10;
  kx_Skarblit_iCadeControls = 1;
  app->m_screenButtons[3] = 2;
  app->m_screenButtons[19] = 1;
  app->p_OnSuspend();
  EXPECT_EQ(std::vector<int>({app->m_paused, app->m_pauseMenu, app->m_pauseSlide}),
            std::vector<int>({1, 1, 240}));
  EXPECT_EQ(kx_Skarblit_iCadeControls, 0);
  EXPECT_EQ(Buttons({3, 19}), std::vector<int>({0, 1}));  // all but the back key let go
  app->m_paused = 0;
  app->p_OnResume();
  EXPECT_EQ(std::vector<int>({app->m_paused, app->m_pauseMenu}), std::vector<int>({1, 1}));
  // The saved state is the whole string.
  EXPECT_EQ(host->stored.Split(String("|")).Length(), 99);
}

TEST_F(FrameCycleTest, ArcadeLettersHoldUntilTheirReleaseLetter) {
  kx_Skarblit_iCadeControls = 1;
  for (int c : {'w', 'X', '?'}) TypeChar(c);
  for (int i = 0; i < 3; ++i) Update();
  EXPECT_EQ(Buttons({0, 8}), std::vector<int>({2, 2}));
  TypeChar('E');
  TypeChar('l');
  Update();
  EXPECT_EQ(Buttons({0, 8, 17}), std::vector<int>({0, 2, 2}));
  TypeChar('v');
  TypeChar('z');
  Update();
  EXPECT_EQ(Buttons({8, 17}), std::vector<int>({0, 0}));
  // With the decoding off, letters are left alone.
  kx_Skarblit_iCadeControls = 0;
  TypeChar('w');
  Update();
  EXPECT_EQ(app->m_screenButtons[0], 0);
}

TEST_F(FrameCycleTest, PointersAreSampledInVirtualUnits) {
  Resize(1280, 960);
  Render();
  input->p_MouseEvent(KxEventMouseMove, 0, 300, 101);
  input->p_MouseEvent(KxEventMouseDown, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchDown, 2, 64, 32);
  app->m_pointerLock = 1;
  Update();
  EXPECT_EQ(std::vector<int>({app->m_pointerX, app->m_pointerY, app->m_pointerCount,
                              app->m_touchDown[0], app->m_touchX[2], app->m_touchY[2],
                              app->m_touchX[5], app->m_pointerLock}),
            std::vector<int>({150, 50, 1, 1, 32, 16, -3717, 1}));
  input->p_MouseEvent(KxEventMouseUp, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchUp, 2, 64, 32);
  Update();
  EXPECT_EQ(std::vector<int>({app->m_pointerCount, app->m_touchX[0], app->m_pointerLock}),
            std::vector<int>({0, -3717, 0}));
}

TEST_F(FrameCycleTest, MusicFollowsThePauseAndOverlaysLockInput) {
  app->m_musicOn = 1;
  app->m_paused = 1;
  Update();
  EXPECT_EQ(audio->Count("pausemusic"), 1);
  app->m_paused = 0;
  Update();
  EXPECT_EQ(audio->Count("resumemusic"), 1);
  kx_Skarblit_HasMusicStream = 0;  // nothing to resume
  Update();
  kx_Skarblit_HasMusicStream = 1;
  EXPECT_EQ(audio->Count("resumemusic"), 1);

  app->m_optionsOpen = 1;
  Update();
  EXPECT_EQ(std::vector<int>({app->m_keyLock, app->m_pointerLock}), std::vector<int>({1, 1}));
}

}  // namespace
}  // namespace shelltest
