// The desktop host's main loop, event translation and joysticks.
#include "host/glfwgame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "host/gamepad.h"
#include "host/platform/platform.h"

KxGlfwGame* KxGlfwGame::_glfwGame = nullptr;
void (*kx_host_swapped)() = nullptr;

namespace {

glfw2::Api& Glfw() { return *glfw2::Current(); }

// Most updates run in one rendered frame before the backlog is dropped.
const int kMaxCatchUp = 4;

}  // namespace

KxGlfwGame::KxGlfwGame() {}

void KxGlfwGame::SetUpdateRate(int hertz) {
  KxGame::SetUpdateRate(hertz);
  if (hertz != 0) updatePeriod = 1.0 / hertz;
  nextUpdate = 0.0;
}

int KxGlfwGame::Millisecs() { return static_cast<int>(Glfw().GetTime() * 1000.0); }

void KxGlfwGame::Run() {
  SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  StartGame();
  while (!Quitting() && Glfw().GetWindowParam(glfw2::OPENED)) {
    RenderGame();
    Glfw().SwapBuffers();
    if (kx_host_swapped) kx_host_swapped();
    if (nextUpdate != 0.0) {
      double delay = nextUpdate - Glfw().GetTime();
      if (delay > 0) Glfw().Sleep(delay);
    }
    UpdateEvents();
    if (Quitting() || suspended) continue;
    if (updateRate == 0) {
      UpdateGame();
      continue;
    }
    if (nextUpdate == 0.0) nextUpdate = Glfw().GetTime();
    int updates = 0;
    for (; updates < kMaxCatchUp; updates++) {
      UpdateGame();
      // A rate change inside the update restarted the schedule.
      if (Quitting() || nextUpdate == 0.0) break;
      nextUpdate += updatePeriod;
      if (nextUpdate > Glfw().GetTime()) break;
    }
    if (updates == kMaxCatchUp) nextUpdate = 0.0;
  }
}

void KxGlfwGame::UpdateEvents() {
  if (suspended) {
    Glfw().WaitEvents();
  } else {
    Glfw().PollEvents();
  }
  if (Glfw().GetWindowParam(glfw2::ACTIVE)) {
    if (suspended) {
      ResumeGame();
      nextUpdate = 0.0;
    }
  } else if (!suspended) {
    SuspendGame();
    nextUpdate = 0.0;
  }
}

int KxGlfwGame::TransKey(int key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return key;
  if (key >= glfw2::KEY_F1 && key < glfw2::KEY_F1 + 12) return 112 + (key - glfw2::KEY_F1);
  if (key >= glfw2::KEY_KP_0 && key <= glfw2::KEY_KP_0 + 9) return 96 + (key - glfw2::KEY_KP_0);
  switch (key) {
    case glfw2::KEY_SPACE: return 32;
    case '\'': case '"': return 222;
    case ',': return 188;
    case '-': return 189;
    case '.': return 190;
    case '/': return 191;
    case ';': return 186;
    case '=': return 187;
    case '[': return 219;
    case '\\': return 220;
    case ']': return 221;
    case '`': case '~': return 192;
    case glfw2::KEY_ESC: return 27;
    case glfw2::KEY_UP: return 38;
    case glfw2::KEY_DOWN: return 40;
    case glfw2::KEY_LEFT: return 37;
    case glfw2::KEY_RIGHT: return 39;
    case glfw2::KEY_LSHIFT: case glfw2::KEY_RSHIFT: return 16;
    case glfw2::KEY_LCTRL: case glfw2::KEY_RCTRL: return 17;
    case glfw2::KEY_TAB: return 9;
    case glfw2::KEY_ENTER: return 13;
    case glfw2::KEY_BACKSPACE: return 8;
    case glfw2::KEY_INSERT: return 45;
    case glfw2::KEY_DEL: return 46;
    case glfw2::KEY_PAGEUP: return 33;
    case glfw2::KEY_PAGEDOWN: return 34;
    case glfw2::KEY_HOME: return 36;
    case glfw2::KEY_END: return 35;
    case glfw2::KEY_KP_DIVIDE: return 111;
    case glfw2::KEY_KP_MULTIPLY: return 106;
    case glfw2::KEY_KP_SUBTRACT: return 109;
    case glfw2::KEY_KP_ADD: return 107;
    case glfw2::KEY_KP_DECIMAL: return 110;
    default: return 0;
  }
}

int KxGlfwGame::KeyToChar(int key) {
  switch (key) {
    case 8: case 9: case 13: case 27: return key;
    case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 45:
      return key | 0x10000;
    case 46: return 127;
    default: return 0;
  }
}

void KxGlfwGame::OnKey(int key, int action) {
  int code = TransKey(key);
  if (!code) return;
  if (action == glfw2::kPress) {
    _glfwGame->KeyEvent(KxEventKeyDown, code);
    int character = KeyToChar(code);
    if (character) _glfwGame->KeyEvent(KxEventKeyChar, character);
  } else if (action == glfw2::kRelease) {
    _glfwGame->KeyEvent(KxEventKeyUp, code);
  }
}

void KxGlfwGame::OnChar(int character, int action) {
  if (action == glfw2::kPress) _glfwGame->KeyEvent(KxEventKeyChar, character);
}

void KxGlfwGame::OnMouseButton(int button, int action) {
  if (button < 0 || button > 2) return;
  int x = 0, y = 0;
  Glfw().GetMousePos(&x, &y);
  if (action == glfw2::kPress) {
    _glfwGame->MouseEvent(KxEventMouseDown, button, x, y);
  } else if (action == glfw2::kRelease) {
    _glfwGame->MouseEvent(KxEventMouseUp, button, x, y);
  }
}

void KxGlfwGame::OnMousePos(int x, int y) { _glfwGame->MouseEvent(KxEventMouseMove, -1, x, y); }

// The close button becomes the close key; the application decides whether to end.
int KxGlfwGame::OnWindowClose() {
  _glfwGame->KeyEvent(KxEventKeyDown, KxKeyClose);
  _glfwGame->KeyEvent(KxEventKeyUp, KxKeyClose);
  return 0;
}

// Ports follow the order in which the library told the pads connected, not its slots (it
// reuses the lowest free one): when a pad goes, the later ones move up a port, so the pads
// still there keep the first ports, which are the ones the input device polls and the game
// steers with; and a pad that comes, even into the slot another left a moment ago, takes the
// port after the last, its triggers not yet seen to move.
KxGlfwGame::ConnectedPad* KxGlfwGame::PadAt(int port) {
  for (const glfw2::JoystickEvent& event : Glfw().JoystickEvents()) {
    auto same = [&](const ConnectedPad& pad) { return pad.slot == event.joy; };
    pads.erase(std::remove_if(pads.begin(), pads.end(), same), pads.end());
    if (event.connected) pads.push_back({event.joy, {false, false}});
  }
  return port >= 0 && port < static_cast<int>(pads.size()) ? &pads[port] : nullptr;
}

bool KxGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
  ConnectedPad* pad = PadAt(port);
  if (!pad) return false;
  // The input device hands in at least two sticks and 32 buttons; anything shorter is left be.
  if (joyx.Length() < 2 || joyy.Length() < 2 || joyz.Length() < 2 || buttons.Length() < 32) {
    return true;
  }
  glfw2::GamepadState mapped;
  if (Glfw().GetGamepadState(pad->slot, &mapped)) {
    kx_gamepad_Map(mapped, pad->triggerMoved, joyx, joyy, joyz, buttons);
    return true;
  }
  float axes[6] = {};
  int axisCount = Glfw().GetJoystickPos(pad->slot, axes, 6);
  unsigned char state[32] = {};
  int count = Glfw().GetJoystickButtons(pad->slot, state, 32);
  kx_gamepad_MapRaw(axes, axisCount, state, count, joyx, joyy, joyz, buttons);
  return true;
}

void KxGlfwGame::OpenUrl(String url) { kx_platform_OpenUrl(url.ToUtf8()); }

String KxGlfwGame::PathToFilePath(String path) {
  static const char* const kRoots[][2] = {{"vantor://data/", "./data/"},
                                          {"vantor://internal/", "./internal/"},
                                          {"vantor://external/", "./external/"}};
  if (!path.StartsWith("vantor:")) return path;
  for (const auto& root : kRoots) {
    String prefix(root[0]);
    if (path.StartsWith(prefix)) return String(root[1]) + path.Slice(prefix.Length());
  }
  return String();
}
