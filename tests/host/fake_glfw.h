// A scripted windowing library for host tests: a settable clock that sleeping advances,
// window state, held keys, joysticks, video modes, and a hook run at every event poll.
#pragma once
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/glfw2.h"

namespace kxtest {

class FakeGlfw : public glfw2::Api {
 public:
  struct Joystick {
    bool present = false;
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
  };

  FakeGlfw() { glfw2::Install(this); }
  ~FakeGlfw() override { glfw2::Install(nullptr); }

  // Clock and sleeping. A real clock has always moved on from 0 by the first frame.
  double time = 1.0;
  int sleeps = 0;
  // Window.
  bool opened = false;
  bool active = true;
  int width = 0, height = 0, mode = 0, opens = 0;
  int posX = -1, posY = -1;
  std::string title;
  int refreshHint = 0;
  int swapIntervalCalls = 0, lastSwapInterval = -1;
  bool keyRepeat = false, cursorVisible = true;
  // Frames end when the window closes after this many buffer swaps (-1: never).
  int swaps = 0, closeAfterSwaps = -1;
  // Events.
  int polls = 0, waits = 0;
  std::function<void()> onEvents;
  std::set<int> keysDown;
  int mouseX = 0, mouseY = 0;
  glfw2::KeyFun keyFun = nullptr;
  glfw2::CharFun charFun = nullptr;
  glfw2::MouseButtonFun mouseButtonFun = nullptr;
  glfw2::MousePosFun mousePosFun = nullptr;
  glfw2::WindowCloseFun closeFun = nullptr;
  // Log of window operations in call order ("close", "open", "pos", "title", "swapinterval").
  std::vector<std::string> calls;
  Joystick joysticks[16];
  glfw2::VidMode desktop = {1280, 1024, 8, 8, 8};
  std::vector<glfw2::VidMode> modes;

  int Init() override { return glfw2::kTrue; }
  void Terminate() override {}
  int OpenWindow(int w, int h, int, int, int, int, int, int, int m) override {
    calls.push_back("open");
    width = w;
    height = h;
    mode = m;
    opened = true;
    opens++;
    return glfw2::kTrue;
  }
  void OpenWindowHint(int target, int hint) override {
    if (target == glfw2::REFRESH_RATE) refreshHint = hint;
  }
  void CloseWindow() override {
    calls.push_back("close");
    opened = false;
  }
  void SetWindowTitle(const char* t) override {
    calls.push_back("title");
    title = t;
  }
  void SetWindowPos(int x, int y) override {
    calls.push_back("pos");
    posX = x;
    posY = y;
  }
  void GetWindowSize(int* w, int* h) override {
    *w = opened ? width : 0;
    *h = opened ? height : 0;
  }
  int GetWindowParam(int param) override {
    if (param == glfw2::OPENED) return opened;
    if (param == glfw2::ACTIVE) return active;
    return 0;
  }
  void SwapBuffers() override {
    if (++swaps == closeAfterSwaps) opened = false;
  }
  void SwapInterval(int interval) override {
    calls.push_back("swapinterval");
    swapIntervalCalls++;
    lastSwapInterval = interval;
  }
  void PollEvents() override {
    polls++;
    if (onEvents) onEvents();
  }
  void WaitEvents() override {
    waits++;
    if (onEvents) onEvents();
  }
  int GetKey(int key) override { return keysDown.count(key) ? glfw2::kPress : glfw2::kRelease; }
  void GetMousePos(int* x, int* y) override {
    *x = mouseX;
    *y = mouseY;
  }
  void Enable(int token) override { Flag(token, true); }
  void Disable(int token) override { Flag(token, false); }
  void SetKeyCallback(glfw2::KeyFun f) override { keyFun = f; }
  void SetCharCallback(glfw2::CharFun f) override { charFun = f; }
  void SetMouseButtonCallback(glfw2::MouseButtonFun f) override { mouseButtonFun = f; }
  void SetMousePosCallback(glfw2::MousePosFun f) override { mousePosFun = f; }
  void SetWindowCloseCallback(glfw2::WindowCloseFun f) override { closeFun = f; }
  int GetJoystickParam(int joy, int param) override {
    const Joystick& j = joysticks[joy];
    if (!j.present) return 0;
    if (param == glfw2::AXES) return static_cast<int>(j.axes.size());
    if (param == glfw2::BUTTONS) return static_cast<int>(j.buttons.size());
    return param == glfw2::PRESENT;
  }
  int GetJoystickPos(int joy, float* pos, int count) override {
    int n = 0;
    for (; n < count && n < static_cast<int>(joysticks[joy].axes.size()); n++) {
      pos[n] = joysticks[joy].axes[n];
    }
    return n;
  }
  int GetJoystickButtons(int joy, unsigned char* buttons, int count) override {
    int n = 0;
    for (; n < count && n < static_cast<int>(joysticks[joy].buttons.size()); n++) {
      buttons[n] = joysticks[joy].buttons[n];
    }
    return n;
  }
  int GetVideoModes(glfw2::VidMode* list, int maxcount) override {
    int n = 0;
    for (; n < maxcount && n < static_cast<int>(modes.size()); n++) list[n] = modes[n];
    return n;
  }
  void GetDesktopMode(glfw2::VidMode* m) override { *m = desktop; }
  double GetTime() override { return time; }
  void Sleep(double seconds) override {
    sleeps++;
    time += seconds;
  }

 private:
  void Flag(int token, bool on) {
    if (token == glfw2::KEY_REPEAT) keyRepeat = on;
    if (token == glfw2::MOUSE_CURSOR) cursorVisible = on;
  }
};

}  // namespace kxtest
