// The input device: turns the host's key, mouse, touch and motion events into the per-update
// state that game code polls (held keys, hits this update, typed characters, pointer, touch
// points, joystick ports, accelerometer). Mouse buttons, touches and joystick buttons share
// one key-code space so the game asks the same two questions of all of them.
#pragma once
#include "host/game.h"
#include "runtime/runtime.h"

// Key codes the framework itself gives a meaning to.
const int kx_input_KEY_LMB = 1;
const int kx_input_KEY_JOY0 = 256;
const int kx_input_KEY_TOUCH0 = 384;
const int kx_input_KEY_COUNT = 512;
const int kx_input_HIT_QUEUE_LENGTH = 33;
const int kx_input_CHAR_QUEUE_LENGTH = 32;
const int kx_input_TOUCH_COUNT = 32;
const int kx_input_JOY_PORTS = 4;

// One joystick port as the host last polled it.
class c_JoyState : public Object {
 public:
  Array<float> m_joyx;
  Array<float> m_joyy;
  Array<float> m_joyz;
  Array<bool> m_buttons;

  c_JoyState();
  c_JoyState* m_new();
  void mark() override;
};

class c_InputDevice : public Object {
 public:
  Array<c_JoyState*> m_joyStates;
  Array<bool> m_keyDown;
  int m_keyHitPut;
  Array<int> m_keyHitQueue;
  Array<int> m_keyHit;
  int m_charGet;
  int m_charPut;
  Array<int> m_charQueue;
  float m_mouseX;
  float m_mouseY;
  Array<float> m_touchX;
  Array<float> m_touchY;
  float m_accelX;
  float m_accelY;
  float m_accelZ;

  c_InputDevice();
  c_InputDevice* m_new();
  void mark() override;

  void p_PutKeyHit(int key);
  void p_KeyEvent(int event, int data);
  void p_MouseEvent(int event, int data, float x, float y);
  void p_TouchEvent(int event, int data, float x, float y);
  void p_MotionEvent(int event, int data, float x, float y, float z);
  void p_BeginUpdate();
  void p_EndUpdate();

  bool p_KeyDown(int key);
  int p_KeyHit(int key);
  int p_GetChar();
  float p_MouseX();
  float p_MouseY();
  float p_TouchX(int index);
  float p_TouchY(int index);
  float p_JoyX(int index, int port);
  float p_JoyY(int index, int port);
  float p_AccelX();
  float p_AccelY();
  void p_SetKeyboardEnabled(bool enabled);

 private:
  void PressKey(int key);
  void ReleaseKey(int key);
  void SetMousePos(float x, float y);
  void SetTouchPos(int index, float x, float y);
  bool PollJoyPort(int port);
  void ReleaseJoyPort(int port);
};

extern c_InputDevice* kx_input_device;

// The module's share of global initialisation: no device yet, and the global as a root.
void kx_input_Init();

void kx_input_SetInputDevice(c_InputDevice* device);
bool kx_input_KeyDown(int key);
int kx_input_KeyHit(int key);
int kx_input_GetChar();
float kx_input_MouseX();
float kx_input_MouseY();
bool kx_input_MouseDown(int button);
int kx_input_MouseHit(int button);
float kx_input_TouchX(int index);
float kx_input_TouchY(int index);
bool kx_input_TouchDown(int index);
float kx_input_JoyX(int index, int port);
float kx_input_JoyY(int index, int port);
bool kx_input_JoyDown(int button, int port);
int kx_input_JoyHit(int button, int port);
float kx_input_AccelX();
float kx_input_AccelY();
void kx_input_EnableKeyboard();
void kx_input_DisableKeyboard();
