// Joysticks in the game's layout, and the extra gamepad mappings read at start-up.
#include "host/gamepad.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

const char kDatabase[] = "gamecontrollerdb.txt";

// The game's reading of a trigger, from the library's -1 at rest to 1 fully pressed. A trigger
// the pad's mapping does not bind reads exactly 0 for good, which would be half pressed. GLFW
// 3.3 cannot say whether an axis is bound, and most pads go by one of its built-in mappings,
// which cannot be read (only the lines added at start-up could be), so a trigger counts as
// bound from its first reading that is not exactly 0: a bound one rests at -1, whether an
// axis, a button or a hat drives it, so it is known at once, and an unbound one never moves.
// Only a bound trigger held exactly half-way as its pad arrives reads 0 until it moves.
float Trigger(float axis, bool* moved) {
  *moved = *moved || axis != 0;
  return *moved ? (axis + 1) / 2 : 0;
}

// The physical button behind the game's button `i` on a joystick with `count`, or -1: those
// with more than twelve keep their last four (start, back, sticks) at 8..11, and the ones
// after their eighth from 12 on.
int RawButton(int i, int count) {
  if (i >= count) return -1;
  if (count <= 12 || i < 8) return i;
  return i < 12 ? count - 12 + i : i - 4;
}

// The one line on standard output for a source the library did not take all of.
void ReportRefused(const char* source, const std::string& what) {
  kxPrint(String::FromUtf8("Gamepad mapping refused: " + std::string(source) + " " + what));
}

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
  ReportRefused(source, "line " + std::to_string(first) + more);
}

// Reads ./gamecontrollerdb.txt into `text` past a byte-order mark (editors on some systems
// start UTF-8 files with one, and no GUID does); a missing file reads as empty. Returns why
// a file that is there cannot be read (a folder, say), or "".
std::string ReadDatabase(std::string* text) {
  FILE* file = std::fopen((std::string("./") + kDatabase).c_str(), "rb");
  if (!file) return errno == ENOENT ? "" : std::strerror(errno);
  char chunk[1 << 16];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text->append(chunk, n);
  std::string error = std::ferror(file) ? std::strerror(errno) : "";
  std::fclose(file);
  if (text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
  return error;
}

}  // namespace

void kx_gamepad_Map(const glfw2::GamepadState& pad, bool moved[2], Array<float> joyx,
                    Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
  joyx[0] = pad.axes[glfw2::GAMEPAD_LEFT_X];
  joyy[0] = -pad.axes[glfw2::GAMEPAD_LEFT_Y];
  joyz[0] = Trigger(pad.axes[glfw2::GAMEPAD_LEFT_TRIGGER], &moved[0]);
  joyx[1] = pad.axes[glfw2::GAMEPAD_RIGHT_X];
  joyy[1] = -pad.axes[glfw2::GAMEPAD_RIGHT_Y];
  joyz[1] = Trigger(pad.axes[glfw2::GAMEPAD_RIGHT_TRIGGER], &moved[1]);
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
  for (int i = 0; i < 32; i++) {
    int button = RawButton(i, count);
    buttons[i] = button >= 0 && state[button] == glfw2::kPress;
  }
  if (count == 14 && axisCount == 5) {
    joyx[1] = axes[4];
    joyy[1] = -axes[3];
  } else if (count == 18 && axisCount == 4) {
    joyy[1] = -joyz[0];
  }
}

void kx_gamepad_AddMappings() {
  std::string text, error = ReadDatabase(&text);
  if (!error.empty()) ReportRefused(kDatabase, "cannot be read: " + error);
  // What a failed read got is no more to be trusted than its last, cut-off line.
  std::istringstream file(error.empty() ? text : "");
  AddMappings(file, kDatabase);
  const char* config = std::getenv("SDL_GAMECONTROLLERCONFIG");
  std::istringstream lines(config ? config : "");
  AddMappings(lines, "SDL_GAMECONTROLLERCONFIG");
}
