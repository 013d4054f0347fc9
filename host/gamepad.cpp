// Joysticks in the game's layout, and the extra gamepad mappings read at start-up.
#include "host/gamepad.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The pad button behind each of the game's buttons 0 to 14.
const int kPadButtons[glfw2::GAMEPAD_BUTTONS] = {
    glfw2::GAMEPAD_A,          glfw2::GAMEPAD_B,           glfw2::GAMEPAD_X,
    glfw2::GAMEPAD_Y,          glfw2::GAMEPAD_LEFT_BUMPER, glfw2::GAMEPAD_RIGHT_BUMPER,
    glfw2::GAMEPAD_BACK,       glfw2::GAMEPAD_START,       glfw2::GAMEPAD_DPAD_LEFT,
    glfw2::GAMEPAD_DPAD_UP,    glfw2::GAMEPAD_DPAD_RIGHT,  glfw2::GAMEPAD_DPAD_DOWN,
    glfw2::GAMEPAD_LEFT_THUMB, glfw2::GAMEPAD_RIGHT_THUMB, glfw2::GAMEPAD_GUIDE,
};

// A trigger at rest reads -1 from the library; the game sees 0 until it is pressed.
float Trigger(float axis) { return (axis + 1) / 2; }

// Hands every mapping line of `text` to the library, one at a time so that the refused ones
// are known; blank lines and # comments are passed over.
void AddMappings(std::istream& text, const char* source) {
  std::string line;
  int number = 0, first = 0, refused = 0;
  while (std::getline(text, line)) {
    ++number;
    line.erase(line.find_last_not_of(" \t\r") + 1);
    if (line.empty() || line[0] == '#') continue;
    bool added = line.find('\0') == std::string::npos &&
                 glfw2::Current()->UpdateGamepadMapping(line.c_str());
    if (!added && refused++ == 0) first = number;
  }
  if (refused == 0) return;
  std::string more = refused > 1 ? " and " + std::to_string(refused - 1) + " more" : "";
  kxPrint(String::FromUtf8("Gamepad mapping refused: " + std::string(source) + " line " +
                           std::to_string(first) + more));
}

}  // namespace

void kx_gamepad_Map(const glfw2::GamepadState& pad, Array<float> joyx, Array<float> joyy,
                    Array<float> joyz, Array<bool> buttons) {
  joyx[0] = pad.axes[glfw2::GAMEPAD_LEFT_X];
  joyy[0] = -pad.axes[glfw2::GAMEPAD_LEFT_Y];
  joyz[0] = Trigger(pad.axes[glfw2::GAMEPAD_LEFT_TRIGGER]);
  joyx[1] = pad.axes[glfw2::GAMEPAD_RIGHT_X];
  joyy[1] = -pad.axes[glfw2::GAMEPAD_RIGHT_Y];
  joyz[1] = Trigger(pad.axes[glfw2::GAMEPAD_RIGHT_TRIGGER]);
  for (int i = 0; i < 32; i++) {
    buttons[i] = i < glfw2::GAMEPAD_BUTTONS && pad.buttons[kPadButtons[i]] == glfw2::kPress;
  }
}

void kx_gamepad_MapRaw(const float axes[6], int axisCount, const unsigned char* state,
                       int count, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                       Array<bool> buttons) {
  joyx[0] = axes[0];
  joyy[0] = axes[1];
  joyz[0] = axes[2];
  joyx[1] = axes[3];
  joyy[1] = axes[4];
  joyz[1] = axes[5];
  if (count > 12) {
    // Pads with more than twelve buttons keep their last four (start, back, sticks) at 8..11.
    for (int i = 0; i < 8; i++) buttons[i] = state[i] == glfw2::kPress;
    for (int i = 0; i < 4; i++) buttons[8 + i] = state[count - 4 + i] == glfw2::kPress;
    for (int i = 0; i < count - 12; i++) buttons[12 + i] = state[8 + i] == glfw2::kPress;
  } else {
    for (int i = 0; i < count; i++) buttons[i] = state[i] == glfw2::kPress;
  }
  if (count == 14 && axisCount == 5) {
    joyx[1] = axes[4];
    joyy[1] = -axes[3];
  } else if (count == 18 && axisCount == 4) {
    joyy[1] = -joyz[0];
  }
}

void kx_gamepad_AddMappings() {
  std::ifstream file("./gamecontrollerdb.txt", std::ios::binary);
  AddMappings(file, "gamecontrollerdb.txt");
  const char* config = std::getenv("SDL_GAMECONTROLLERCONFIG");
  std::istringstream lines(config ? config : "");
  AddMappings(lines, "SDL_GAMECONTROLLERCONFIG");
}
