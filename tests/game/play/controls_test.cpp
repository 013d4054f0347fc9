// Logical keys from keyboard, pad buttons, stick and screen flags, and the analogue steering
// (how the stick steers, y inverted, shows in pad_game's replay).
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class ControlsTest : public PlayTest {
 protected:
  // Which logical keys read as held on the port.
  std::vector<int> HeldKeys(int port, int allowStick = 1) {
    std::vector<int> held;
    for (int key : {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 99}) {
      if (app->p_PlayKey(key, allowStick, port)) held.push_back(key);
    }
    return held;
  }
  void Stick(int port, float x, float y) {
    input->m_joyStates[port]->m_joyx[0] = x, input->m_joyStates[port]->m_joyy[0] = y;
  }
};

TEST_F(ControlsTest, EachSourceCountsOnlyInItsTableAndForItsOwnPort) {
  // code, logical key in the normal table, in the cabinet table (-1: a letter it types)
  const int cases[][3] = {{38, 0, 0},  {87, 0, -1},  {13, 10, 10},  {90, 10, -1},
                          {86, 13, -1}, {27, 99, 99}, {192, 99, -1}, {46, 99, 99}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    KeyDown(c[0]);
    EXPECT_EQ(HeldKeys(-1), std::vector<int>{c[1]});
    kx_Skarblit_iCadeControls = 1;
    EXPECT_EQ(HeldKeys(0), c[2] < 0 ? std::vector<int>{} : std::vector<int>{c[2]});
    kx_Skarblit_iCadeControls = 2;
    std::vector<int> none = HeldKeys(0);
    kx_Skarblit_iCadeControls = 0;
    EXPECT_EQ(none.size() + HeldKeys(-2).size(), 0u);
    KeyUp(c[0]);
  }
  using Held = std::vector<std::vector<int>>;
  KeyDown(256 + 32 * 2 + 14);  // button 14 of port 2
  EXPECT_EQ((Held{HeldKeys(2), HeldKeys(1), HeldKeys(-1)}), (Held{{99}, {}, {}}));
  EXPECT_EQ(app->p_PlayKeyAll(99, 1), 1);
  KeyUp(256 + 32 * 2 + 14);
  Stick(1, -0.5f, 0.5f);
  EXPECT_EQ((Held{HeldKeys(1), HeldKeys(1, 0), HeldKeys(0)}), (Held{{0, 3}, {}, {}}));
  app->m_screenButtons[17] = 2;
  EXPECT_EQ(HeldKeys(-1), std::vector<int>{99});
  kx_Skarblit_isOuya = 1;  // the console answers the back key from entry 19 alone
  EXPECT_TRUE(HeldKeys(-1).empty());
  app->m_screenButtons[19] = 1;
  EXPECT_EQ(HeldKeys(-1), std::vector<int>{99});
}

// How the first press anchors, a drag steers and a long one trails the anchor shows in
// easy_mouse_game's replay, which draws the anchor; the dead zone and the release do not.
TEST_F(ControlsTest, TouchPadSteersByTheDragOver72PastADeadZoneAndLetsGoOnRelease) {
  app->m_pointerCount = 1;
  // drag from the anchor -> steering; under a tenth on both axes it steers nothing
  const float cases[][4] = {
      {36, 0, 0.5f, 0}, {-36, 18, -0.5f, 0.25f}, {7, -7, 0, 0}, {7, 8, 7 / 72.0f, 8 / 72.0f}};
  for (const auto& c : cases) {
    app->m_padAnchorX = app->m_padAnchorY = 200;
    app->m_pointerX = 200 + static_cast<int>(c[0]);
    app->m_pointerY = 200 + static_cast<int>(c[1]);
    app->p_AnalogueControl();
    EXPECT_EQ(Values(app->m_steerX, app->m_steerY), Values(c[2], c[3])) << c[0] << "," << c[1];
  }
  app->m_pointerCount = 0;
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_padAnchorX, -1);
}

TEST_F(ControlsTest, TheCabinetSwitchClearsButtonsButKeepsTheConsoleEntry) {
  TypeChar('w');
  app->p_iCade(1);
  EXPECT_EQ(kx_input_GetChar(), 0);  // waiting characters are dropped
  app->m_screenButtons[0] = 2, app->m_screenButtons[19] = 1;
  app->p_iCade(5);
  EXPECT_EQ(kx_Skarblit_iCadeControls, 1);
  app->p_iCade(0);
  EXPECT_EQ(Values(kx_Skarblit_iCadeControls, app->m_screenButtons[0], app->m_screenButtons[19]),
            Values(0, 0, 1));
}

}  // namespace
}  // namespace gametest
