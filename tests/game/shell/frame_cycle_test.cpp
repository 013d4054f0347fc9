// The frame cycle: function keys, the quiet exits, suspension and resumption, pointer sampling,
// arcade-cabinet letters and the side panel's slide.
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
  void Hit(int code) {
    KeyDown(code);
    Update();
    KeyUp(code);
  }
};

TEST_F(FrameCycleTest, F1TogglesTheDebugOverlayAndF2TheHud) {
  Hit(112);
  EXPECT_EQ(kx_Skarblit_DebugMode, 1);
  // The overlay's glyphs come last, in the font's slot, half a line below its top.
  auto records = Records();
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back()[0], 90.0f);
  EXPECT_FLOAT_EQ(records.back()[2], kx_Skarblit_jscrh - 16 + 5);
  Update();  // held no longer counts as a hit
  EXPECT_EQ(kx_Skarblit_DebugMode, 1);
  Hit(112);
  EXPECT_EQ(kx_Skarblit_DebugMode, 0);
  Hit(113);
  EXPECT_EQ(app->m_hideHud, 1);
  Hit(113);
  EXPECT_EQ(app->m_hideHud, 0);
}

TEST_F(FrameCycleTest, F4AndTheCloseKeyEndQuietlyWithoutSaving) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int key : {115, 432}) {
    // A save on the way out would abort, which is not an exit with status 0.
    EXPECT_EXIT(
        {
          host->abortOnSave = true;
          KeyDown(key);
          Update();
        },
        testing::ExitedWithCode(0), "")
        << key;
  }
}

TEST_F(FrameCycleTest, F11TwiceReturnsToA640x480Window) {
  glfw.opens.clear();
  Resize(800, 600);
  Hit(122);
  EXPECT_EQ(app->m_fullscreen, 1);
  Hit(122);
  EXPECT_EQ(app->m_fullscreen, 0);
  ASSERT_EQ(glfw.opens.size(), 2u);
  EXPECT_EQ(glfw.opens[0], (std::vector<int>{1920, 1080, 8, 8, 8, 0, 0, 0, glfw2::FULLSCREEN}));
  EXPECT_EQ(glfw.opens[1], (std::vector<int>{640, 480, 8, 8, 8, 0, 0, 0, glfw2::WINDOW}));
}

TEST_F(FrameCycleTest, SuspensionSavesSlowsDownAndPausesARunningGame) {
  app->p_OnSuspend();
  EXPECT_EQ(kx_app__updateRate, 5);
  EXPECT_EQ(host->saves, 1);
  EXPECT_EQ(app->m_paused, 0);
  app->p_OnResume();
  EXPECT_EQ(kx_app__updateRate, 60);
  EXPECT_EQ(host->saves, 1);

  app->m_gameState = 10;
  kx_Skarblit_iCadeControls = 1;
  app->m_screenButtons[3] = 2;
  app->m_screenButtons[19] = 1;
  app->p_OnSuspend();
  EXPECT_EQ(app->m_paused, 1);
  EXPECT_EQ(app->m_pauseMenu, 1);
  EXPECT_EQ(app->m_pauseSlide, 240);
  EXPECT_EQ(kx_Skarblit_iCadeControls, 0);
  EXPECT_EQ(app->m_screenButtons[3], 0);
  EXPECT_EQ(app->m_screenButtons[19], 1);
  app->m_paused = 0;
  app->p_OnResume();
  EXPECT_EQ(app->m_paused, 1);
  EXPECT_EQ(app->m_pauseMenu, 1);
  // The saved state is the whole string.
  EXPECT_EQ(host->stored.Split(String("|")).Length(), 99);
}

TEST_F(FrameCycleTest, ArcadeLettersHoldUntilTheirReleaseLetter) {
  kx_Skarblit_iCadeControls = 1;
  TypeChar('w');
  TypeChar('X');
  TypeChar('?');
  Update();
  EXPECT_EQ(app->m_screenButtons[0], 2);
  EXPECT_EQ(app->m_screenButtons[8], 2);
  Update();
  Update();
  EXPECT_EQ(app->m_screenButtons[0], 2);
  TypeChar('E');
  TypeChar('l');
  Update();
  EXPECT_EQ(app->m_screenButtons[0], 0);
  EXPECT_EQ(app->m_screenButtons[8], 2);
  EXPECT_EQ(app->m_screenButtons[17], 2);
  TypeChar('v');
  TypeChar('z');
  Update();
  EXPECT_EQ(app->m_screenButtons[17], 0);
  EXPECT_EQ(app->m_screenButtons[8], 0);
  // With the decoding off, letters are left alone.
  kx_Skarblit_iCadeControls = 0;
  TypeChar('w');
  Update();
  EXPECT_EQ(app->m_screenButtons[0], 0);
}

TEST_F(FrameCycleTest, OnePressEntriesExpireAndTheBackKeyCountsHits) {
  app->m_gameState = 0;  // no screen: the menu would take the back key as quit
  app->m_screenButtons[10] = 1;
  app->m_screenButtons[11] = 2;
  KeyDown(416);
  Update();
  EXPECT_EQ(app->m_screenButtons[10], 0);
  EXPECT_EQ(app->m_screenButtons[11], 2);
  EXPECT_EQ(app->m_screenButtons[19], 1);
  Update();
  EXPECT_EQ(app->m_screenButtons[19], 0);
}

TEST_F(FrameCycleTest, PointersAreSampledInVirtualUnits) {
  Resize(1280, 960);
  Render();
  input->p_MouseEvent(KxEventMouseMove, 0, 300, 101);
  input->p_MouseEvent(KxEventMouseDown, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchDown, 2, 64, 32);
  app->m_pointerLock = 1;
  Update();
  EXPECT_EQ(app->m_pointerX, 150);
  EXPECT_EQ(app->m_pointerY, 50);
  EXPECT_EQ(app->m_pointerCount, 1);
  EXPECT_EQ(app->m_touchDown[0], 1);
  EXPECT_EQ(app->m_touchX[2], 32);
  EXPECT_EQ(app->m_touchY[2], 16);
  EXPECT_EQ(app->m_touchX[5], -3717);
  EXPECT_EQ(app->m_pointerLock, 1);
  input->p_MouseEvent(KxEventMouseUp, 0, 300, 101);
  input->p_TouchEvent(KxEventTouchUp, 2, 64, 32);
  Update();
  EXPECT_EQ(app->m_pointerCount, 0);
  EXPECT_EQ(app->m_touchX[0], -3717);
  EXPECT_EQ(app->m_pointerLock, 0);
}

TEST_F(FrameCycleTest, MusicFollowsThePauseAndOverlaysLockInput) {
  app->m_musicOn = 1;
  app->m_paused = 1;
  Update();
  EXPECT_EQ(audio->Count("pausemusic"), 1);
  app->m_paused = 0;
  Update();
  EXPECT_EQ(audio->Count("resumemusic"), 1);
  kx_Skarblit_HasMusicStream = 0;
  Update();
  kx_Skarblit_HasMusicStream = 1;
  EXPECT_EQ(audio->Count("resumemusic"), 1);

  app->m_optionsOpen = 1;
  Update();
  EXPECT_EQ(app->m_keyLock, 1);
  EXPECT_EQ(app->m_pointerLock, 1);
}

TEST_F(FrameCycleTest, TheSidePanelWidensTowardItsTargetAndSnaps) {
  app->m_infoPanelOpen = 1;
  Update();
  EXPECT_FLOAT_EQ(app->m_infoPanelX, 500.0f / 16);
  for (int i = 0; i < 200; ++i) Update();
  EXPECT_FLOAT_EQ(app->m_infoPanelX, 500);
  app->m_infoPanelOpen = 0;
  Update();
  EXPECT_FLOAT_EQ(app->m_infoPanelX, 500 - 500.0f / 16);
  for (int i = 0; i < 200; ++i) Update();
  EXPECT_EQ(app->m_infoPanelX, 0);
}

}  // namespace
}  // namespace shelltest
