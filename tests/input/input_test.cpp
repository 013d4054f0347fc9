// The input device: the mouse and the first touch as twins, the bounded queues, and the
// joystick ports as the host's pads fill them. (How long a hit lives is pinned by the recorded
// replays' menu walks.)
#include <gtest/gtest.h>

#include "host/glfwgame.h"
#include "input/input.h"
#include "tests/host/fake_glfw.h"

namespace {

struct InputTest : testing::Test {
  void SetUp() override { KxGame::_game = &host, kx_input_SetInputDevice(device); }
  void TearDown() override { KxGame::_game = nullptr; }
  kxtest::FakeGlfw glfw;
  KxGlfwGame host;
  c_InputDevice* device = (new c_InputDevice)->m_new();
};

// After each event: left button (key 1), first touch key (384), touch 0 down, mouse x and y.
TEST_F(InputTest, LeftButtonAndFirstTouchAreTwins) {
  const struct { bool touch; int event, finger, x, y; const char* state; } steps[] = {
      {false, KxEventMouseDown, 0, 10, 20, "1 1 1 10 20"},
      {false, KxEventMouseUp, 0, 99, 99, "0 0 0 10 20"},  // a release leaves the position alone
      {true, KxEventTouchDown, 0, 5, 6, "1 1 1 5 6"},
      {true, KxEventTouchMove, 1, 70, 80, "1 1 1 5 6"},  // only the first touch moves it
      {true, KxEventTouchUp, 0, 0, 0, "0 0 0 5 6"}};
  for (const auto& s : steps) {
    if (s.touch) device->p_TouchEvent(s.event, s.finger, s.x, s.y);
    if (!s.touch) device->p_MouseEvent(s.event, s.finger, s.x, s.y);
    const int got[] = {kx_input_KeyDown(1), kx_input_KeyDown(384), kx_input_TouchDown(0),
                       static_cast<int>(kx_input_MouseX()), static_cast<int>(kx_input_MouseY())};
    std::string text;
    for (int v : got) text += (text.empty() ? "" : " ") + std::to_string(v);
    EXPECT_EQ(text, s.state) << s.event;
  }
  EXPECT_EQ(kx_input_KeyHit(1) * 10 + kx_input_KeyHit(384), 22) << "each press is a hit of both";
}

TEST_F(InputTest, QueuesHoldAtMost33HitsAnd32Characters) {
  for (int key = 65; key < 105; ++key) device->p_KeyEvent(KxEventKeyDown, key);
  for (int ch = 0; ch < 40; ++ch) device->p_KeyEvent(KxEventKeyChar, 'a' + ch);
  int hits = 0;
  for (int key = 65; key < 105; ++key) {
    EXPECT_TRUE(kx_input_KeyDown(key)) << "a dropped hit still holds the key";
    hits += kx_input_KeyHit(key);
  }
  EXPECT_EQ(hits, 33);
  for (int ch = 0; ch <= 32; ++ch) EXPECT_EQ(kx_input_GetChar(), ch < 32 ? 'a' + ch : 0);
}

// Button 3 held on the second pad: hit once however long it is held, and let go of when the
// first pad goes and the second moves up a port. Each step: hit on port 1, down on 0 and 1.
TEST_F(InputTest, AJoystickButtonIsHitOnceAndLetGoOfWhenItsPortEmpties) {
  for (int slot : {0, 1}) glfw.joysticks[slot] = {true, {}, {0, 0, 0, 0}};
  glfw.joysticks[1].buttons[3] = glfw2::kPress;
  std::string seen;
  for (int step = 0; step < 4; ++step) {
    if (step == 2) glfw.joysticks[0].present = false;
    if (step == 3) glfw.joysticks[1].buttons[3] = glfw2::kRelease;
    device->p_BeginUpdate();
    seen += std::to_string(kx_input_JoyHit(3, 1)) + std::to_string(kx_input_JoyDown(3, 0)) +
            std::to_string(kx_input_JoyDown(3, 1)) + " ";
    device->p_EndUpdate();
  }
  EXPECT_EQ(seen, "101 001 010 000 ");
}

}  // namespace
