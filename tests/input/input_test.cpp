// The input device: the mouse and the first touch as twins, the bounded queues, and the
// joystick ports. (How long a hit lives is pinned by the recorded replays' menu walks.)
#include <gtest/gtest.h>

#include "input/input.h"

namespace {

// A host whose joystick ports are scripted and whose polls are counted.
class JoyHost : public KxGame {
 public:
  bool present[4] = {};
  bool pressed[4][32] = {};
  int polls[4] = {};

  bool PollJoystick(int port, Array<float>, Array<float>, Array<float>, Array<bool> buttons) override {
    polls[port]++;
    for (int b = 0; b < 32 && present[port]; ++b) buttons[b] = pressed[port][b];
    return present[port];
  }
};

class InputTest : public testing::Test {
 protected:
  void SetUp() override {
    KxGame::_game = &host;
    device = (new c_InputDevice)->m_new();
    kx_input_SetInputDevice(device);
  }
  void TearDown() override {
    kx_input_SetInputDevice(nullptr);
    KxGame::_game = nullptr;
  }

  JoyHost host;
  c_InputDevice* device = nullptr;
};

TEST_F(InputTest, LeftButtonAndFirstTouchAreTwins) {
  device->p_MouseEvent(KxEventMouseDown, 0, 10, 20);
  EXPECT_EQ(kx_input_KeyHit(1), 1);
  EXPECT_EQ(kx_input_KeyHit(384), 1);
  EXPECT_TRUE(kx_input_TouchDown(0));
  EXPECT_EQ(kx_input_TouchX(0), 10);
  device->p_MouseEvent(KxEventMouseUp, 0, 99, 99);
  EXPECT_FALSE(kx_input_TouchDown(0));
  EXPECT_EQ(kx_input_MouseX(), 10) << "a release leaves the position alone";

  device->p_TouchEvent(KxEventTouchDown, 0, 5, 6);
  EXPECT_TRUE(kx_input_MouseDown(0));
  EXPECT_EQ(kx_input_MouseY(), 6);
  device->p_TouchEvent(KxEventTouchMove, 1, 70, 80);
  EXPECT_EQ(kx_input_MouseX(), 5) << "only the first touch moves the pointer";
  device->p_TouchEvent(KxEventTouchUp, 0, 0, 0);
  EXPECT_FALSE(kx_input_KeyDown(1));
}

TEST_F(InputTest, QueuesHoldAtMost33HitsAnd32Characters) {
  for (int key = 65; key < 105; ++key) device->p_KeyEvent(KxEventKeyDown, key);
  for (int ch = 0; ch < 40; ++ch) device->p_KeyEvent(KxEventKeyChar, 'a' + ch);
  device->p_KeyEvent(KxEventKeyDown, 600);
  device->p_TouchEvent(KxEventTouchDown, 32, 1, 1);
  int hits = 0;
  for (int key = 65; key < 105; ++key) {
    EXPECT_TRUE(kx_input_KeyDown(key)) << "a dropped hit still holds the key";
    hits += kx_input_KeyHit(key);
  }
  EXPECT_EQ(hits, 33);
  for (int ch = 0; ch < 32; ++ch) EXPECT_EQ(kx_input_GetChar(), 'a' + ch);
  EXPECT_EQ(kx_input_GetChar(), 0);
}

TEST_F(InputTest, JoystickPortsArePolledUntilTheFirstAbsentOne) {
  host.present[0] = host.present[2] = true;
  host.pressed[0][3] = host.pressed[2][3] = true;
  device->p_BeginUpdate();
  EXPECT_EQ(host.polls[1], 1);
  EXPECT_EQ(host.polls[2], 0);
  EXPECT_EQ(kx_input_JoyHit(3, 0), 1);
  EXPECT_FALSE(kx_input_JoyDown(3, 2));
  device->p_EndUpdate();
  device->p_BeginUpdate();
  EXPECT_EQ(kx_input_JoyHit(3, 0), 0) << "a button held across updates is hit once";
  device->p_EndUpdate();
  host.pressed[0][3] = false;
  device->p_BeginUpdate();
  EXPECT_FALSE(kx_input_JoyDown(3, 0));
}

}  // namespace
