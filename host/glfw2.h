// The windowing library as the host sees it: the operations and conventions of GLFW 2.7 (one
// window at a time, 2.7 key numbers with the named keys from 257, key repeat as further
// presses, up-positive vertical joystick axes). The host reaches it through glfw2::Current();
// each platform implements it in a file of its own under host/platform/: the desktop over
// GLFW 3 (desktop.cpp), the browser over emscripten's GLFW 3 (web.cpp), both on the window they
// share (glfw3.h, the only header that includes GLFW), and the window-less one that verifying
// runs on (headless.cpp); the tests install a scripted stand-in (tests/host/fake_glfw.h) with
// its own clock, events, joysticks and window state.
#pragma once
#include <vector>

// Windows opened so far; every opening makes a new OpenGL context, so textures remember it.
extern int glfwGraphicsSeq;

namespace glfw2 {

// Boolean results and key/button actions.
constexpr int kFalse = 0;
constexpr int kTrue = 1;
constexpr int kRelease = 0;
constexpr int kPress = 1;

// Keys: printable keys are their (upper-case, US layout) character; named keys from 257.
constexpr int KEY_SPACE = 32;
constexpr int KEY_ESC = 257;
constexpr int KEY_F1 = 258;   // F1..F25 are 258..282
constexpr int KEY_F25 = 282;
constexpr int KEY_UP = 283;
constexpr int KEY_DOWN = 284;
constexpr int KEY_LEFT = 285;
constexpr int KEY_RIGHT = 286;
constexpr int KEY_LSHIFT = 287;
constexpr int KEY_RSHIFT = 288;
constexpr int KEY_LCTRL = 289;
constexpr int KEY_RCTRL = 290;
constexpr int KEY_LALT = 291;
constexpr int KEY_RALT = 292;
constexpr int KEY_TAB = 293;
constexpr int KEY_ENTER = 294;
constexpr int KEY_BACKSPACE = 295;
constexpr int KEY_INSERT = 296;
constexpr int KEY_DEL = 297;
constexpr int KEY_PAGEUP = 298;
constexpr int KEY_PAGEDOWN = 299;
constexpr int KEY_HOME = 300;
constexpr int KEY_END = 301;
constexpr int KEY_KP_0 = 302;  // keypad 0..9 are 302..311
constexpr int KEY_KP_DIVIDE = 312;
constexpr int KEY_KP_MULTIPLY = 313;
constexpr int KEY_KP_SUBTRACT = 314;
constexpr int KEY_KP_ADD = 315;
constexpr int KEY_KP_DECIMAL = 316;
constexpr int KEY_KP_EQUAL = 317;
constexpr int KEY_KP_ENTER = 318;
constexpr int KEY_KP_NUM_LOCK = 319;
constexpr int KEY_CAPS_LOCK = 320;
constexpr int KEY_SCROLL_LOCK = 321;
constexpr int KEY_PAUSE = 322;
constexpr int KEY_LSUPER = 323;
constexpr int KEY_RSUPER = 324;
constexpr int KEY_MENU = 325;
constexpr int KEY_LAST = KEY_MENU;

// Mouse buttons.
constexpr int MOUSE_BUTTON_LEFT = 0;
constexpr int MOUSE_BUTTON_RIGHT = 1;
constexpr int MOUSE_BUTTON_MIDDLE = 2;

// OpenWindow modes.
constexpr int WINDOW = 0x00010001;
constexpr int FULLSCREEN = 0x00010002;

// GetWindowParam parameters.
constexpr int OPENED = 0x00020001;
constexpr int ACTIVE = 0x00020002;
constexpr int ICONIFIED = 0x00020003;

// OpenWindowHint targets (they apply to the next OpenWindow only).
constexpr int REFRESH_RATE = 0x0002000B;
constexpr int WINDOW_NO_RESIZE = 0x00020012;

// Enable / Disable tokens.
constexpr int MOUSE_CURSOR = 0x00030001;
constexpr int KEY_REPEAT = 0x00030005;
constexpr int AUTO_POLL_EVENTS = 0x00030006;

// Joysticks.
constexpr int JOYSTICK_1 = 0;
constexpr int JOYSTICK_LAST = 15;
constexpr int PRESENT = 0x00050001;
constexpr int AXES = 0x00050002;
constexpr int BUTTONS = 0x00050003;

// Gamepads: a joystick whose layout the library knows (a built-in mapping or one added with
// UpdateGamepadMapping) also reads as GLFW 3's standard pad, with these buttons and axes. The
// sticks' vertical axes are down-positive and the triggers rest at -1, as in GLFW 3; an axis
// the mapping does not bind reads exactly 0, for good.
constexpr int GAMEPAD_A = 0;
constexpr int GAMEPAD_B = 1;
constexpr int GAMEPAD_X = 2;
constexpr int GAMEPAD_Y = 3;
constexpr int GAMEPAD_LEFT_BUMPER = 4;
constexpr int GAMEPAD_RIGHT_BUMPER = 5;
constexpr int GAMEPAD_BACK = 6;
constexpr int GAMEPAD_START = 7;
constexpr int GAMEPAD_GUIDE = 8;
constexpr int GAMEPAD_LEFT_THUMB = 9;
constexpr int GAMEPAD_RIGHT_THUMB = 10;
constexpr int GAMEPAD_DPAD_UP = 11;
constexpr int GAMEPAD_DPAD_RIGHT = 12;
constexpr int GAMEPAD_DPAD_DOWN = 13;
constexpr int GAMEPAD_DPAD_LEFT = 14;
constexpr int GAMEPAD_BUTTONS = 15;
constexpr int GAMEPAD_LEFT_X = 0;
constexpr int GAMEPAD_LEFT_Y = 1;
constexpr int GAMEPAD_RIGHT_X = 2;
constexpr int GAMEPAD_RIGHT_Y = 3;
constexpr int GAMEPAD_LEFT_TRIGGER = 4;
constexpr int GAMEPAD_RIGHT_TRIGGER = 5;
constexpr int GAMEPAD_AXES = 6;

struct GamepadState {
  unsigned char buttons[GAMEPAD_BUTTONS];  // kPress or kRelease
  float axes[GAMEPAD_AXES];
};

// A joystick plugged into a slot (connected) or pulled out of it.
struct JoystickEvent {
  int joy;
  bool connected;
};

struct VidMode {
  int Width;
  int Height;
  int RedBits;
  int BlueBits;
  int GreenBits;
  int RefreshRate = 0;  // Hz; 0 when the library does not know it
};

// A window icon: width x height pixels, 4 bytes (RGBA) each, rows top down.
struct Image {
  int width;
  int height;
  std::vector<unsigned char> pixels;
};

typedef void (*KeyFun)(int key, int action);
typedef void (*CharFun)(int character, int action);
typedef void (*MouseButtonFun)(int button, int action);
typedef void (*MousePosFun)(int x, int y);
// Returning 0 keeps the window open.
typedef int (*WindowCloseFun)();

// The library. Callbacks run from inside PollEvents / WaitEvents.
class Api {
 public:
  virtual ~Api() {}
  virtual int Init() = 0;
  virtual void Terminate() = 0;

  // Closes the open window first (there is only ever one). Width or height 0 picks a default
  // as GLFW 2.7 did. Returns kTrue when the window is open.
  virtual int OpenWindow(int width, int height, int redbits, int greenbits, int bluebits,
                         int alphabits, int depthbits, int stencilbits, int mode) = 0;
  virtual void OpenWindowHint(int target, int hint) = 0;
  virtual void CloseWindow() = 0;
  virtual void SetWindowTitle(const char* title) = 0;
  // The icon at several sizes, for this window and every one opened later (full screen
  // included), as the title; none clears it.
  virtual void SetWindowIcon(const std::vector<Image>& sizes) = 0;
  virtual void SetWindowPos(int x, int y) = 0;
  virtual void GetWindowSize(int* width, int* height) = 0;
  virtual int GetWindowParam(int param) = 0;
  virtual void SwapBuffers() = 0;
  virtual void SwapInterval(int interval) = 0;

  virtual void PollEvents() = 0;
  virtual void WaitEvents() = 0;
  virtual int GetKey(int key) = 0;
  virtual void GetMousePos(int* x, int* y) = 0;
  virtual void Enable(int token) = 0;
  virtual void Disable(int token) = 0;
  virtual void SetKeyCallback(KeyFun fun) = 0;
  virtual void SetCharCallback(CharFun fun) = 0;
  virtual void SetMouseButtonCallback(MouseButtonFun fun) = 0;
  virtual void SetMousePosCallback(MousePosFun fun) = 0;
  virtual void SetWindowCloseCallback(WindowCloseFun fun) = 0;

  virtual int GetJoystickParam(int joy, int param) = 0;
  // Fill up to `count` entries; return how many the joystick has (at most `count`).
  virtual int GetJoystickPos(int joy, float* pos, int count) = 0;
  virtual int GetJoystickButtons(int joy, unsigned char* buttons, int count) = 0;
  // kTrue, with the pad's state, when the joystick is present and its layout is known.
  virtual int GetGamepadState(int joy, GamepadState* state) = 0;
  // The joysticks connected and disconnected since the last call, oldest first: those present
  // at Init come first, in slot order. A pad pulled out and another plugged into its slot
  // between two calls are two events, though the slot never looked empty.
  virtual std::vector<JoystickEvent> JoystickEvents() = 0;
  // Adds one line of the community controller database's format (GUID, name, bindings),
  // replacing any mapping of the same GUID; kFalse when the library refused it. Lines for
  // another platform are passed over as accepted. Only after Init.
  virtual int UpdateGamepadMapping(const char* line) = 0;

  // Fill up to `maxcount` modes; return how many were filled.
  virtual int GetVideoModes(VidMode* list, int maxcount) = 0;
  virtual void GetDesktopMode(VidMode* mode) = 0;

  // Seconds since Init.
  virtual double GetTime() = 0;
  virtual void Sleep(double seconds) = 0;
};

// The translations from GLFW 3, apart so that tests can table them.
// The 2.7 key number of a GLFW 3 key, or -1 for keys 2.7 did not have.
int KeyFrom3(int key);
// kPress or kRelease for a GLFW 3 key action; a repeat is a press, or -1 (dropped) when
// repeat is off.
int ActionFrom3(int action, bool keyRepeat);
// 2.7's axis list from GLFW 3's axes and hats.
std::vector<float> AxesFrom3(const float* axes, int count, const unsigned char* hats, int hatCount);
// Whether a close request closes the window, given the close callback (none agrees).
bool CloseAgreed(WindowCloseFun fun);
// A window's size on a screen of this content scale: the asked size times the scale rounded
// down to a whole number, less as long as it would not fit the work area (never below 1).
void ScaledSize(int* width, int* height, float scale, int workWidth, int workHeight);

// The build's platform: the desktop's GLFW 3, or the browser's.
Api* Real();
// The library without a display (host/platform/headless.cpp), for verifying recordings.
Api* Headless();
// The size the headless window reports from now on.
void SetHeadlessSize(int width, int height);
// What the host talks to: Real() unless something else was installed.
Api* Current();
// Replaces the library for the host (tests); nullptr brings back Real().
void Install(Api* api);

}  // namespace glfw2
