// The input device's event handling and per-update bookkeeping.
#include "input/input.h"

namespace {

bool ValidKey(int key) { return key > 0 && key < kx_input_KEY_COUNT; }
bool ValidTouch(int index) { return index >= 0 && index < kx_input_TOUCH_COUNT; }
bool ValidStick(int index, int port) {
  return index >= 0 && index < 2 && port >= 0 && port < kx_input_JOY_PORTS;
}

// Left mouse button and first touch go down, up and get hit together.
int TwinOf(int key) {
  if (key == kx_input_KEY_LMB) return kx_input_KEY_TOUCH0;
  if (key == kx_input_KEY_TOUCH0) return kx_input_KEY_LMB;
  return 0;
}

}  // namespace

c_JoyState::c_JoyState() : m_joyx(2), m_joyy(2), m_joyz(2), m_buttons(32) {}

c_JoyState* c_JoyState::m_new() { return this; }

void c_JoyState::mark() {
  gc_mark_q(m_joyx);
  gc_mark_q(m_joyy);
  gc_mark_q(m_joyz);
  gc_mark_q(m_buttons);
}

c_InputDevice::c_InputDevice()
    : m_joyStates(kx_input_JOY_PORTS),
      m_keyDown(kx_input_KEY_COUNT),
      m_keyHitPut(0),
      m_keyHitQueue(kx_input_HIT_QUEUE_LENGTH),
      m_keyHit(kx_input_KEY_COUNT),
      m_charGet(0),
      m_charPut(0),
      m_charQueue(kx_input_CHAR_QUEUE_LENGTH),
      m_mouseX(0),
      m_mouseY(0),
      m_touchX(kx_input_TOUCH_COUNT),
      m_touchY(kx_input_TOUCH_COUNT),
      m_accelX(0),
      m_accelY(0),
      m_accelZ(0) {}

c_InputDevice* c_InputDevice::m_new() {
  for (int port = 0; port < kx_input_JOY_PORTS; ++port) {
    gc_assign(m_joyStates[port], (new c_JoyState)->m_new());
  }
  return this;
}

void c_InputDevice::mark() {
  gc_mark_q(m_joyStates);
  gc_mark_q(m_keyDown);
  gc_mark_q(m_keyHitQueue);
  gc_mark_q(m_keyHit);
  gc_mark_q(m_charQueue);
  gc_mark_q(m_touchX);
  gc_mark_q(m_touchY);
}

// A full hit queue drops the hit; the held state is the caller's business.
void c_InputDevice::p_PutKeyHit(int key) {
  if (!ValidKey(key) || m_keyHitPut >= kx_input_HIT_QUEUE_LENGTH) return;
  m_keyHit[key] += 1;
  m_keyHitQueue[m_keyHitPut++] = key;
}

// Auto-repeat presses of a key already held add no hits.
void c_InputDevice::PressKey(int key) {
  if (!ValidKey(key) || m_keyDown[key]) return;
  m_keyDown[key] = true;
  p_PutKeyHit(key);
  if (int twin = TwinOf(key)) {
    m_keyDown[twin] = true;
    p_PutKeyHit(twin);
  }
}

void c_InputDevice::ReleaseKey(int key) {
  if (!ValidKey(key) || !m_keyDown[key]) return;
  m_keyDown[key] = false;
  if (int twin = TwinOf(key)) m_keyDown[twin] = false;
}

void c_InputDevice::SetMousePos(float x, float y) {
  m_mouseX = x;
  m_mouseY = y;
  m_touchX[0] = x;
  m_touchY[0] = y;
}

void c_InputDevice::SetTouchPos(int index, float x, float y) {
  m_touchX[index] = x;
  m_touchY[index] = y;
  if (index == 0) {
    m_mouseX = x;
    m_mouseY = y;
  }
}

void c_InputDevice::p_KeyEvent(int event, int data) {
  switch (event) {
    case KxEventKeyDown:
      PressKey(data);
      break;
    case KxEventKeyUp:
      ReleaseKey(data);
      break;
    case KxEventKeyChar:
      if (m_charPut < kx_input_CHAR_QUEUE_LENGTH) m_charQueue[m_charPut++] = data;
      break;
  }
}

void c_InputDevice::p_MouseEvent(int event, int data, float x, float y) {
  switch (event) {
    case KxEventMouseDown:
      PressKey(data + 1);
      SetMousePos(x, y);
      break;
    case KxEventMouseUp:
      ReleaseKey(data + 1);
      break;
    case KxEventMouseMove:
      SetMousePos(x, y);
      break;
  }
}

void c_InputDevice::p_TouchEvent(int event, int data, float x, float y) {
  if (!ValidTouch(data)) return;
  switch (event) {
    case KxEventTouchDown:
      PressKey(kx_input_KEY_TOUCH0 + data);
      SetTouchPos(data, x, y);
      break;
    case KxEventTouchUp:
      ReleaseKey(kx_input_KEY_TOUCH0 + data);
      break;
    case KxEventTouchMove:
      SetTouchPos(data, x, y);
      break;
  }
}

void c_InputDevice::p_MotionEvent(int event, int, float x, float y, float z) {
  if (event != KxEventMotionAccel) return;
  m_accelX = x;
  m_accelY = y;
  m_accelZ = z;
}

// Joystick buttons have no release events: a button the host reports up is simply not held.
bool c_InputDevice::PollJoyPort(int port) {
  KxGame* host = KxGame::_game;
  c_JoyState* joy = m_joyStates[port];
  if (!host || !host->PollJoystick(port, joy->m_joyx, joy->m_joyy, joy->m_joyz, joy->m_buttons)) {
    return false;
  }
  for (int button = 0; button < 32; ++button) {
    int key = kx_input_KEY_JOY0 + 32 * port + button;
    if (!joy->m_buttons[button]) {
      m_keyDown[key] = false;
    } else if (!m_keyDown[key]) {
      m_keyDown[key] = true;
      p_PutKeyHit(key);
    }
  }
  return true;
}

// Ports are polled in order up to the first absent one. A pad unplugged while a button or a
// stick was held would otherwise hold it for ever, so the ports not polled let go of theirs.
void c_InputDevice::p_BeginUpdate() {
  int port = 0;
  while (port < kx_input_JOY_PORTS && PollJoyPort(port)) ++port;
  for (; port < kx_input_JOY_PORTS; ++port) ReleaseJoyPort(port);
}

void c_InputDevice::ReleaseJoyPort(int port) {
  c_JoyState* joy = m_joyStates[port];
  for (int i = 0; i < 2; ++i) joy->m_joyx[i] = joy->m_joyy[i] = joy->m_joyz[i] = 0;
  for (int button = 0; button < 32; ++button) {
    joy->m_buttons[button] = false;
    m_keyDown[kx_input_KEY_JOY0 + 32 * port + button] = false;
  }
}

// Hits and characters live for exactly one update.
void c_InputDevice::p_EndUpdate() {
  for (int i = 0; i < m_keyHitPut; ++i) m_keyHit[m_keyHitQueue[i]] = 0;
  m_keyHitPut = 0;
  m_charGet = 0;
  m_charPut = 0;
}

bool c_InputDevice::p_KeyDown(int key) { return ValidKey(key) && m_keyDown[key]; }

int c_InputDevice::p_KeyHit(int key) { return ValidKey(key) ? m_keyHit[key] : 0; }

int c_InputDevice::p_GetChar() {
  if (m_charGet == m_charPut) return 0;
  return m_charQueue[m_charGet++];
}

float c_InputDevice::p_MouseX() { return m_mouseX; }
float c_InputDevice::p_MouseY() { return m_mouseY; }
float c_InputDevice::p_TouchX(int index) { return ValidTouch(index) ? m_touchX[index] : 0; }
float c_InputDevice::p_TouchY(int index) { return ValidTouch(index) ? m_touchY[index] : 0; }

float c_InputDevice::p_JoyX(int index, int port) {
  return ValidStick(index, port) ? m_joyStates[port]->m_joyx[index] : 0;
}

float c_InputDevice::p_JoyY(int index, int port) {
  return ValidStick(index, port) ? m_joyStates[port]->m_joyy[index] : 0;
}

float c_InputDevice::p_AccelX() { return m_accelX; }
float c_InputDevice::p_AccelY() { return m_accelY; }

void c_InputDevice::p_SetKeyboardEnabled(bool enabled) {
  if (KxGame::_game) KxGame::_game->SetKeyboardEnabled(enabled);
}
