// The overlays over menu and play: the options box, the pause menu, the credits box and the
// badge notices, driven through the frame cycle with keys and the mouse as a player would.
#include <algorithm>

#include "tests/game/shell/shell_fixture.h"

namespace shelltest {
namespace {

class OverlayTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Create();
    LoadAll();
    kx_Skarblit_HasMusicStream = 1;
  }
  // A key held across one update and released across the next, as a player's press.
  void Press(int code) {
    KeyDown(code);
    Update();
    KeyUp(code);
    Update();
  }
  void MouseDown(float x, float y) { input->p_MouseEvent(KxEventMouseDown, 0, x, y); }
  void MouseUp(float x, float y) { input->p_MouseEvent(KxEventMouseUp, 0, x, y); }
  void OpenOptions() {
    app->m_optionsOpen = 1;
    for (int i = 0; i < 40; ++i) Update();
    ASSERT_EQ(app->m_optionsSlide, 30);
  }
  // The texts recorded in the font's slot this update, one per line of glyphs, left to right.
  std::vector<std::string> Texts() const {
    std::vector<std::pair<float, std::pair<float, char>>> glyphs;
    for (const auto& r : Records())
      if (static_cast<int>(r[0]) == app->m_font) glyphs.push_back({r[2], {r[1], static_cast<char>(r[6] + 32)}});
    std::stable_sort(glyphs.begin(), glyphs.end());
    std::vector<std::string> texts;
    float lastY = -1e9f, lastX = 0;
    for (const auto& g : glyphs) {
      if (g.first != lastY || g.second.first - lastX > 40) texts.emplace_back();
      texts.back() += g.second.second;
      lastY = g.first;
      lastX = g.second.first;
    }
    return texts;
  }
  bool Shows(const std::string& text) const {
    auto t = Texts();
    return std::find(t.begin(), t.end(), text) != t.end();
  }
};

TEST_F(OverlayTest, SoundRowCyclesTheModesAndStopsTheTuneWhereItMustBeSilent) {
  OpenOptions();
  Press(40);  // down to the sound row
  ASSERT_EQ(app->m_optRow, 1);
  const int expected[] = {1, 2, 3, 0};
  const int stopsAfter[] = {0, 1, 1, 2};
  app->m_settings[5] = 0;
  int stopsBefore = audio->Count("stopmusic");
  for (int i = 0; i < 4; ++i) {
    Press(13);
    EXPECT_EQ(app->m_settings[5], expected[i]) << "press " << i;
    EXPECT_EQ(audio->Count("stopmusic") - stopsBefore, stopsAfter[i]) << "press " << i;
  }
  EXPECT_TRUE(Shows("Sound:Off")) << "label drawn without its spaces";
}

TEST_F(OverlayTest, AHeldActionKeyChangesTheModeOnce) {
  OpenOptions();
  Press(40);
  app->m_settings[5] = 0;
  KeyDown(13);
  for (int i = 0; i < 10; ++i) Update();
  KeyUp(13);
  Update();
  EXPECT_EQ(app->m_settings[5], 1);
}

TEST_F(OverlayTest, AStoredModeOutOfRangeIsShownAndKeptAsOff) {
  app->m_settings[5] = 7;
  OpenOptions();
  EXPECT_EQ(app->m_settings[5], 0);
  EXPECT_TRUE(Shows("Sound:Off"));
}

TEST_F(OverlayTest, WhilePausedTheCreditsRowIsAbsentAndDownStopsAtFullScreen) {
  app->m_paused = 1;
  OpenOptions();
  EXPECT_FALSE(Shows("Credits"));
  for (int i = 0; i < 6; ++i) Press(40);
  EXPECT_EQ(app->m_optRow, 3);
  app->m_paused = 0;
  Press(40);
  EXPECT_EQ(app->m_optRow, 4);
  EXPECT_TRUE(Shows("Credits"));
}

TEST_F(OverlayTest, TheBackKeyClosesTheBoxAndSaves) {
  OpenOptions();
  int saves = host->saves;
  Press(27);
  EXPECT_EQ(app->m_optionsOpen, 0);
  EXPECT_EQ(host->saves, saves + 1);
}

TEST_F(OverlayTest, ArcadeAndFullScreenRowsSwitchTheirModes) {
  OpenOptions();
  Press(40);
  Press(40);
  ASSERT_EQ(app->m_optRow, 2);
  Press(13);
  EXPECT_EQ(kx_Skarblit_iCadeControls, 1);
  EXPECT_TRUE(Shows("iCade:On"));
  // The cabinet's table drops the letters but keeps the cursor keys and enter.
  Press(40);
  ASSERT_EQ(app->m_optRow, 3);
  glfw.opens.clear();
  Press(13);
  EXPECT_EQ(app->m_fullscreen, 1);
  ASSERT_FALSE(glfw.opens.empty());
  EXPECT_EQ(glfw.opens.back()[0], glfw.desktopWidth);
  EXPECT_TRUE(Shows("Windowed"));
}

class PauseTest : public OverlayTest {
 protected:
  // The pause menu at rest in the middle of the screen, driven directly as play would.
  void SetUp() override {
    OverlayTest::SetUp();
    app->m_paused = 1;
    app->m_pauseMenu = 1;
    app->m_pauseSel = 0;
    app->m_pauseSlide = 240;
    app->m_keyLock = app->m_pointerLock = 0;
  }
  void Touch(int x, int y) {
    app->m_pointerCount = 1;
    app->m_touchDown[0] = 1;
    app->m_touchX[0] = x;
    app->m_touchY[0] = y;
  }
};

TEST_F(PauseTest, ResumeHidesTheMenuAfterTwelveUpdatesAndOnlyThenUnpauses) {
  Touch(320, 240);
  app->p_PauseMenu();
  EXPECT_EQ(app->m_pauseMenu, -1);
  app->m_pointerCount = 0;
  app->m_touchDown[0] = 0;
  for (int i = 1; i <= 11; ++i) {
    app->p_PauseMenu();
    EXPECT_EQ(app->m_paused, 1) << "update " << i;
  }
  app->p_PauseMenu();
  EXPECT_EQ(app->m_paused, 0);
  EXPECT_LT(app->m_pauseSlide, -32);
}

TEST_F(PauseTest, TheBackKeyResumesAndNeverQuits) {
  KeyDown(27);
  app->p_PauseMenu();
  EXPECT_EQ(app->m_pauseMenu, -1);
  EXPECT_EQ(app->m_gameOver, 0);
  EXPECT_EQ(app->m_keyLock, 1);
}

TEST_F(PauseTest, QuitByKeysEndsTheGame) {
  KeyDown(37);  // left selects quit
  app->p_PauseMenu();
  EXPECT_EQ(app->m_pauseSel, -1);
  KeyUp(37);
  app->m_keyLock = 0;
  KeyDown(13);
  app->p_PauseMenu();
  EXPECT_EQ(app->m_gameOver, 1);
  EXPECT_EQ(app->m_paused, 0);
  EXPECT_EQ(app->m_pauseMenu, -1);
}

TEST_F(PauseTest, TheCogOpensTheOptionsBoxAndStandsStillWhileItIsOpen) {
  Touch(320 + 140, 240 - 64);
  app->p_PauseMenu();
  EXPECT_EQ(app->m_optionsOpen, 1);
  float angle = app->m_cogAngle;
  app->p_PauseMenu();
  app->p_PauseMenu();
  EXPECT_EQ(app->m_cogAngle, angle);
}

class CreditsTest : public OverlayTest {
 protected:
  std::vector<std::vector<float>> RectsOfSize(float w) const {
    std::vector<std::vector<float>> out;
    for (const auto& r : Records())
      if (r[0] == -3717.0f && std::abs(r[4] - w) < 0.01f) out.push_back(r);
    return out;
  }
};

TEST_F(CreditsTest, TilesFillA640x480FrameAndFadeInOver30Updates) {
  app->m_creditsOpen = 1;
  Update();
  const float c = 640.0f / 12;  // n = 12 columns and m = 9 rows of cells, both inclusive
  for (int i = 0; i < 30; ++i) Update();
  EXPECT_EQ(app->m_creditsSlide, 30);
  EXPECT_EQ(RectsOfSize(c + 1).size(), 13u * 10u);
  // The sign of the game sits at the bottom, as opaque as the box is open.
  for (const auto& r : Records()) {
    if (r[0] == 98.0f) {
      EXPECT_FLOAT_EQ(r[7], 1.0f);
    }
  }
}

TEST_F(CreditsTest, TheRollNeverShowsTheLastLine) {
  app->m_creditsOpen = 1;
  for (int i = 0; i < 30; ++i) Update();
  for (int first = 0; first < 120; ++first) {
    app->m_rollFirst = first;
    Update();
    EXPECT_FALSE(Shows("End")) << first;
  }
}

TEST_F(CreditsTest, TheClickThatOpenedItDoesNotCloseIt) {
  OpenOptions();
  // Click the credits row with the mouse.
  const float y3 = 130 + 80;
  MouseDown(640 - 264 + 20, y3 + 56);
  Update();
  EXPECT_EQ(app->m_creditsOpen, 1);
  for (int i = 0; i < 5; ++i) Update();
  EXPECT_EQ(app->m_creditsOpen, 1) << "held pointer";
  MouseUp(640 - 264 + 20, y3 + 56);
  // The options box keeps both locks while it slides away.
  for (int i = 0; i < 31; ++i) Update();
  EXPECT_EQ(app->m_optionsSlide, 0);
  EXPECT_EQ(app->m_creditsOpen, 1);
  MouseDown(320, 240);
  Update();
  EXPECT_EQ(app->m_creditsOpen, 0);
}

TEST_F(OverlayTest, ABadgeNoticeSlidesInRestsAndNamesTheBadge) {
  app->m_noticeBadge[0] = 0;
  app->m_noticeTime[0] = 1;
  auto noticeX = [&]() {
    for (const auto& r : Records())
      if (r[0] == -3717.0f && r[4] == 160.0f && r[5] == 32.0f) return r[1];
    return 1e9f;
  };
  Update();
  EXPECT_EQ(noticeX(), -128.0f);
  for (int t = 3; t <= 10; ++t) Update();
  EXPECT_EQ(noticeX(), 0.0f);
  EXPECT_TRUE(Shows("TestBadge"));
  for (int t = 11; t <= 241; ++t) Update();
  EXPECT_EQ(app->m_noticeTime[0], 0);
  EXPECT_EQ(app->p_BadgeName(0).ToUtf8(), "Test Badge");
  EXPECT_EQ(app->p_BadgeName(5).ToUtf8(), "");
}

}  // namespace
}  // namespace shelltest
