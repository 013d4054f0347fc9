// Logical keys answered from the keyboard, joystick buttons, the left stick and the on-screen
// or arcade-cabinet button flags; and the analogue steering built from touch pad, stick and
// ramped direction keys.
#include <cmath>

#include "game/play/arena.h"
#include "input/input.h"

namespace {

// One logical key's sources; lists end at -1.
struct KeySources {
  int key;
  int keyboard[5];
  int pad[4];
  int screen[4];
};

// Stick test of a direction key: which axis, and the sign the deflection must have.
struct StickTest {
  int key;
  bool yAxis;
  float sign;
};

const KeySources kNormalTable[] = {
    {0, {38, 87, -1}, {9, -1}, {0, -1}},
    {3, {37, 65, -1}, {8, -1}, {3, -1}},
    {5, {39, 68, -1}, {10, -1}, {5, -1}},
    {8, {40, 83, -1}, {11, -1}, {8, -1}},
    {10, {90, 74, 32, 13, -1}, {0, -1}, {10, -1}},
    {11, {88, 75, 17, -1}, {1, -1}, {11, -1}},
    {12, {67, 76, 16, -1}, {2, -1}, {12, -1}},
    {13, {86, 73, -1}, {3, -1}, {13, -1}},
    {14, {66, 85, -1}, {4, -1}, {14, -1}},
    {15, {78, 79, -1}, {5, -1}, {15, -1}},
    {99, {27, 192, 46, 8, -1}, {6, 7, 14, -1}, {16, 17, 19, -1}},
};

// A cabinet types letters, so only the keys without letters stay.
const KeySources kICadeTable[] = {
    {0, {38, -1}, {9, -1}, {0, -1}},
    {3, {37, -1}, {8, -1}, {3, -1}},
    {5, {39, -1}, {10, -1}, {5, -1}},
    {8, {40, -1}, {11, -1}, {8, -1}},
    {10, {32, 13, -1}, {0, -1}, {10, -1}},
    {11, {17, -1}, {1, -1}, {11, -1}},
    {12, {16, -1}, {2, -1}, {12, -1}},
    {13, {-1}, {3, -1}, {13, -1}},
    {14, {-1}, {4, -1}, {14, -1}},
    {15, {-1}, {5, -1}, {15, -1}},
    {99, {27, 46, 8, -1}, {7, 6, 14, -1}, {16, 17, 19, -1}},
};

const StickTest kStickTests[] = {{0, true, 1}, {3, false, -1}, {5, false, 1}, {8, true, -1}};

const int kPorts = 4;

const KeySources* Find(const KeySources* table, int count, int key) {
  for (int i = 0; i < count; ++i) {
    if (table[i].key == key) return &table[i];
  }
  return nullptr;
}

bool StickHeld(int key, int port) {
  for (const StickTest& t : kStickTests) {
    if (t.key != key) continue;
    float v = t.yAxis ? kx_input_JoyY(0, port) : kx_input_JoyX(0, port);
    return v * t.sign > 0.4f;
  }
  return false;
}

bool Held(const c_MyApp* app, const KeySources& s, bool stick, int port) {
  for (const int* code = s.keyboard; *code >= 0; ++code) {
    if (kx_input_KeyDown(*code)) return true;
  }
  if (port >= 0 && port < kPorts) {
    for (const int* b = s.pad; *b >= 0; ++b) {
      int code = kx_input_KEY_JOY0 + 32 * port + *b;
      if (code <= 511 && kx_input_KeyDown(code)) return true;
    }
    if (stick && StickHeld(s.key, port)) return true;
  }
  for (const int* e = s.screen; *e >= 0; ++e) {
    if (app->m_screenButtons[*e] != 0) return true;
  }
  return false;
}

// The key ramp of one axis: the negative key pulls toward -1, the positive toward +1, and a
// released ramp returns toward 0.
void Ramp(bool negHeld, bool posHeld, float& ramp, float& steer) {
  if (negHeld) {
    ramp -= 0.15f;
    steer = ramp;
  } else if (ramp < 0) {
    ramp = ramp + 0.2f > 0 ? 0 : ramp + 0.2f;
    steer = ramp;
  }
  if (posHeld) {
    ramp += 0.15f;
    steer = ramp;
  } else if (ramp > 0) {
    ramp = ramp - 0.2f < 0 ? 0 : ramp - 0.2f;
    steer = ramp;
  }
}

float Clamp1(float v) { return v < -1 ? -1 : v > 1 ? 1 : v; }

}  // namespace

int c_MyApp::p_PlayKey(int key, int allowStick, int port) {
  if (port < -1) return 0;
  const int count = sizeof(kNormalTable) / sizeof(kNormalTable[0]);
  if (kx_Skarblit_iCadeControls == 1) {
    const KeySources* s = Find(kICadeTable, count, key);
    return s && Held(this, *s, false, port) ? 1 : 0;
  }
  if (kx_Skarblit_iCadeControls != 0) return 0;
  if (key == 99 && kx_Skarblit_isOuya != 0) {
    return kx_Skarblit_isOuya == 1 && m_screenButtons[19] != 0 ? 1 : 0;
  }
  const KeySources* s = Find(kNormalTable, count, key);
  return s && Held(this, *s, allowStick == 1, port) ? 1 : 0;
}

int c_MyApp::p_PlayKeyAll(int key, int allowStick) {
  int sum = 0;
  for (int port = 0; port < kPorts; ++port) sum += p_PlayKey(key, allowStick, port);
  return sum;
}

void c_MyApp::p_iCade(int on) {
  if (on == 1) {
    kx_input_EnableKeyboard();
    kx_Skarblit_iCadeControls = 1;
    while (kx_input_GetChar() != 0) {
    }
  } else if (on == 0) {
    kx_input_DisableKeyboard();
    kx_Skarblit_iCadeControls = 0;
    for (int i = 0; i <= 18; ++i) m_screenButtons[i] = 0;
  }
}

// The floating touch pad: the anchor is where the finger came down and trails it when it
// strays more than 64 units away.
static void TouchPad(c_MyApp* app) {
  if (app->m_pointerCount == 0) {
    app->m_padAnchorX = -1;
    return;
  }
  int& ax = app->m_padAnchorX;
  int& ay = app->m_padAnchorY;
  int px = app->m_pointerX;
  int py = app->m_pointerY;
  if (ax < 0) {
    ax = px;
    ay = py;
  } else {
    app->m_steerX = static_cast<float>(px - ax) / 72;
    app->m_steerY = static_cast<float>(py - ay) / 72;
    if (std::fabs(app->m_steerX) < 0.1f && std::fabs(app->m_steerY) < 0.1f) {
      app->m_steerX = app->m_steerY = 0;
    }
    if (px < ax - 64) ax -= 4;
    if (px > ax + 64) ax += 4;
    if (py < ay - 64) ay -= 4;
    if (py > ay + 64) ay += 4;
    if (ax < 0) {
      ax = px;
      ay = py;
    }
  }
  app->p_SetCol(0, 100, 250, 0.25f);
  app->p_Oval(static_cast<float>(ax), static_cast<float>(ay), 12, 12);
  app->p_Oval(static_cast<float>(px), static_cast<float>(py), 8, 8);
}

void c_MyApp::p_AnalogueControl() {
  m_steerX = m_steerY = 0;
  TouchPad(this);
  float sx = kx_input_JoyX(0, 0);
  float sy = kx_input_JoyY(0, 0);
  if (std::fabs(sx) > 0.2f || std::fabs(sy) > 0.2f) {
    m_steerX = sx;
    m_steerY = -sy;
  }
  Ramp(p_PlayKey(0, 0, 0) != 0, p_PlayKey(8, 0, 0) != 0, m_keySteerY, m_steerY);
  Ramp(p_PlayKey(3, 0, 0) != 0, p_PlayKey(5, 0, 0) != 0, m_keySteerX, m_steerX);
  m_steerX = Clamp1(m_steerX);
  m_steerY = Clamp1(m_steerY);
  m_keySteerX = Clamp1(m_keySteerX);
  m_keySteerY = Clamp1(m_keySteerY);
  if (kx_Skarblit_DebugMode == 1 && (std::fabs(m_steerX) > 0.05f || std::fabs(m_steerY) > 0.05f)) {
    float cx = kx_Skarblit_jscrw - 64;
    float cy = kx_Skarblit_jscrh - 64;
    p_SetCol(0, 180, 250, 0.5f);
    p_Oval(cx, cy, 12, 12);
    p_Oval(m_steerX * 52 + cx, m_steerY * 52 + cy, 8, 8);
  }
}
