// The input device: the mouse and the first touch as twins, the bounded queues, and the
// joystick ports as the host's pads fill them. (How long a hit lives is pinned by the recorded
// replays' menu walks.)
#include <gtest/gtest.h>

#include "host/glfwgame.h"
#include "input/input.h"
#include "tests/host/fake_glfw.h"

namespace {

class InputTest : public testing::Test {
 protected:
  void SetUp() override {
    KxGame::_game = &host;
    device = (new c_InputDevice)->m_new();
    kx_input_SetInputDevice(device);
  }
  void TearDown() override { KxGame::_game = nullptr; }

  kxtest::FakeGlfw glfw;
  KxGlfwGame host;
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
  int hits = 0;
  for (int key = 65; key < 105; ++key) {
    EXPECT_TRUE(kx_input_KeyDown(key)) << "a dropped hit still holds the key";
    hits += kx_input_KeyHit(key);
  }
  EXPECT_EQ(hits, 33);
  for (int ch = 0; ch < 32; ++ch) EXPECT_EQ(kx_input_GetChar(), 'a' + ch);
  EXPECT_EQ(kx_input_GetChar(), 0);
}

// Button 3 held on the second pad: hit once however long it is held, and let go of when the
// first pad goes and the second moves up a port.
TEST_F(InputTest, AJoystickButtonIsHitOnceAndLetGoOfWhenItsPortEmpties) {
  for (int slot : {0, 1}) glfw.joysticks[slot] = {true, {}, {0, 0, 0, 0}};
  glfw.joysticks[1].buttons[3] = glfw2::kPress;
  const int hits[] = {1, 0};
  for (int hit : hits) {
    device->p_BeginUpdate();
    EXPECT_EQ(kx_input_JoyHit(3, 1), hit);
    EXPECT_TRUE(kx_input_JoyDown(3, 1));
    EXPECT_FALSE(kx_input_JoyDown(3, 0));
    device->p_EndUpdate();
  }
  glfw.joysticks[0].present = false;
  device->p_BeginUpdate();
  EXPECT_TRUE(kx_input_JoyDown(3, 0));
  EXPECT_FALSE(kx_input_JoyDown(3, 1));
  glfw.joysticks[1].buttons[3] = glfw2::kRelease;
  device->p_BeginUpdate();
  EXPECT_FALSE(kx_input_JoyDown(3, 0));
}

}  // namespace
