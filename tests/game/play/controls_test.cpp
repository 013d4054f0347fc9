// Logical keys from keyboard, pad buttons, stick and screen flags, and the analogue steering.
#include "tests/game/play/play_fixture.h"

namespace playtest {
namespace {

class ControlsTest : public PlayTest {
 protected:
  void TearDown() override {
    kx_Skarblit_iCadeControls = 0;
    PlayTest::TearDown();
  }
  // Which logical keys read as held on the port.
  std::vector<int> HeldKeys(int port, int allowStick = 1) {
    std::vector<int> held;
    for (int key : {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 99}) {
      if (app->p_PlayKey(key, allowStick, port)) held.push_back(key);
    }
    return held;
  }
  void Stick(int port, float x, float y) {
    input->m_joyStates[port]->m_joyx[0] = x;
    input->m_joyStates[port]->m_joyy[0] = y;
  }
};

TEST_F(ControlsTest, KeyboardTablesWithAndWithoutTheCabinet) {
  // code, logical key in the normal table, in the cabinet table (-1: not there)
  const int cases[][3] = {{38, 0, 0},   {87, 0, -1},  {37, 3, 3},   {65, 3, -1}, {39, 5, 5},
                          {68, 5, -1},  {40, 8, 8},   {83, 8, -1},  {13, 10, 10}, {90, 10, -1},
                          {17, 11, 11}, {75, 11, -1}, {16, 12, 12}, {67, 12, -1}, {86, 13, -1},
                          {73, 13, -1}, {66, 14, -1}, {85, 14, -1}, {78, 15, -1}, {79, 15, -1},
                          {27, 99, 99}, {192, 99, -1}, {8, 99, 99},  {46, 99, 99}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    KeyDown(c[0]);
    EXPECT_EQ(HeldKeys(-1), std::vector<int>{c[1]});
    kx_Skarblit_iCadeControls = 1;
    EXPECT_EQ(HeldKeys(0), c[2] < 0 ? std::vector<int>{} : std::vector<int>{c[2]});
    kx_Skarblit_iCadeControls = 2;
    EXPECT_TRUE(HeldKeys(0).empty());
    kx_Skarblit_iCadeControls = 0;
    EXPECT_TRUE(HeldKeys(-2).empty());
    KeyUp(c[0]);
  }
}

TEST_F(ControlsTest, PadButtonsAndStickCountOnlyForTheirOwnPort) {
  KeyDown(256 + 32 * 2 + 14);  // button 14 of port 2
  EXPECT_EQ(HeldKeys(2), std::vector<int>{99});
  EXPECT_TRUE(HeldKeys(1).empty());
  EXPECT_TRUE(HeldKeys(-1).empty());
  EXPECT_EQ(app->p_PlayKeyAll(99, 1), 1);
  KeyUp(256 + 32 * 2 + 14);
  Stick(1, -0.5f, 0.5f);
  EXPECT_EQ(HeldKeys(1), (std::vector<int>{0, 3}));
  EXPECT_TRUE(HeldKeys(1, 0).empty());
  EXPECT_TRUE(HeldKeys(0).empty());
  app->m_screenButtons[17] = 2;
  EXPECT_EQ(HeldKeys(-1), std::vector<int>{99});
  kx_Skarblit_isOuya = 1;  // the console answers the back key from entry 19 alone
  EXPECT_TRUE(HeldKeys(-1).empty());
  app->m_screenButtons[19] = 1;
  EXPECT_EQ(HeldKeys(-1), std::vector<int>{99});
  kx_Skarblit_isOuya = 0;
}

TEST_F(ControlsTest, KeyRampsReachFullSteeringInSevenFramesAndReleaseInFive) {
  KeyDown(38);
  for (int i = 0; i < 6; ++i) app->p_AnalogueControl();
  EXPECT_NEAR(app->m_steerY, -0.9f, 1e-5f);
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_steerY, -1);
  KeyDown(40);  // both held: the ramp stands still
  app->p_AnalogueControl();
  EXPECT_NEAR(app->m_keySteerY, -1, 1e-5f);
  KeyUp(38);
  KeyUp(40);
  for (int i = 0; i < 4; ++i) app->p_AnalogueControl();
  EXPECT_NEAR(app->m_steerY, -0.2f, 1e-5f);
  app->p_AnalogueControl();
  EXPECT_NEAR(app->m_steerY, 0, 1e-6f);
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_keySteerY, 0);
}

TEST_F(ControlsTest, StickSteersInvertedAndKeysOverrideIt) {
  Stick(0, 0.3f, 0.3f);
  app->p_AnalogueControl();
  EXPECT_FLOAT_EQ(app->m_steerX, 0.3f);
  EXPECT_FLOAT_EQ(app->m_steerY, -0.3f);
  KeyDown(39);
  app->p_AnalogueControl();
  EXPECT_FLOAT_EQ(app->m_steerX, 0.15f);
  Stick(0, 0.1f, 0.1f);
  KeyUp(39);
  app->p_AnalogueControl();
  EXPECT_FLOAT_EQ(app->m_steerX, 0);  // the ramp released to 0 wins over a stick at rest
}

TEST_F(ControlsTest, TouchPadAnchorTrailsTheFinger) {
  app->p_AnalogueControl();  // no pointer: no anchor
  app->m_pointerCount = 1;
  app->m_pointerX = 200;
  app->m_pointerY = 200;
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_padAnchorX, 200);
  EXPECT_EQ(app->m_steerX, 0);
  app->m_pointerX = 236;
  app->m_drawCount = 0;
  app->p_AnalogueControl();
  EXPECT_FLOAT_EQ(app->m_steerX, 0.5f);
  EXPECT_EQ(CountRecords(-3716.0f), 2);
  app->m_pointerX = 300;
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_padAnchorX, 204);
  EXPECT_EQ(app->m_steerX, 1);
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_padAnchorX, 208);
  app->m_pointerX = 205;
  app->m_pointerY = 203;
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_steerX, 0);  // both within a tenth: dead centre
  app->m_pointerCount = 0;
  app->p_AnalogueControl();
  EXPECT_EQ(app->m_padAnchorX, -1);
}

TEST_F(ControlsTest, TheCabinetSwitchClearsButtonsButKeepsTheConsoleEntry) {
  TypeChar('w');
  app->p_iCade(1);
  EXPECT_EQ(kx_input_GetChar(), 0);  // waiting characters are dropped
  app->m_screenButtons[0] = 2;
  app->m_screenButtons[19] = 1;
  app->p_iCade(5);
  EXPECT_EQ(kx_Skarblit_iCadeControls, 1);
  app->p_iCade(0);
  EXPECT_EQ(kx_Skarblit_iCadeControls, 0);
  EXPECT_EQ(app->m_screenButtons[0], 0);
  EXPECT_EQ(app->m_screenButtons[19], 1);
}

}  // namespace
}  // namespace playtest
