// The one scripted windowing library of every layer's tests: a settable clock that sleeping
// advances, window state, held keys, joysticks and gamepads with their comings and goings, the
// gamepad mappings added, video modes, and a hook run at every event poll.
#pragma once
#include <algorithm>
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
    bool mapped = false;  // the library knows its layout: `pad` is what it reads as
    glfw2::GamepadState pad = {};
  };

  FakeGlfw() { glfw2::Install(this); }
  ~FakeGlfw() override { glfw2::Install(nullptr); }

  double time = 1.0;  // a real clock has always moved on from 0 by the first frame
  // closeAfterSwaps: the window closes at this buffer swap.
  int sleeps = 0, waits = 0, swaps = 0, closeAfterSwaps = -1;
  bool opened = false, active = true, keyRepeat = false, terminated = false;
  int width = 0, height = 0, mode = 0, opens = 0, posX = -1, posY = -1, refreshHint = 0;
  int mouseX = 0, mouseY = 0;
  std::string title;
  // calls: "close", "open", "swapinterval" in call order; mappings: the lines
  // UpdateGamepadMapping took.
  std::vector<std::string> calls, mappings;
  std::function<void()> onEvents;
  std::set<int> keysDown;
  glfw2::KeyFun keyFun = nullptr;
  glfw2::CharFun charFun = nullptr;
  glfw2::MouseButtonFun mouseButtonFun = nullptr;
  glfw2::MousePosFun mousePosFun = nullptr;
  glfw2::WindowCloseFun closeFun = nullptr;
  Joystick joysticks[16];
  glfw2::VidMode desktop = {1280, 1024, 8, 8, 8};

  int Init() override { return glfw2::kTrue; }
  void Terminate() override { terminated = true, opened = false; }
  int OpenWindow(int w, int h, int, int, int, int, int, int, int m) override {
    calls.push_back("open");
    width = w, height = h, mode = m, opened = true, opens++;
    return glfw2::kTrue;
  }
  void OpenWindowHint(int target, int hint) override {
    if (target == glfw2::REFRESH_RATE) refreshHint = hint;
  }
  void CloseWindow() override { calls.push_back("close"), opened = false; }
  void SetWindowTitle(const char* t) override { title = t; }
  void SetWindowIcon(const std::vector<glfw2::Image>&) override {}
  void SetWindowPos(int x, int y) override { posX = x, posY = y; }
  void GetWindowSize(int* w, int* h) override { *w = width, *h = height; }
  int GetWindowParam(int param) override {
    return param == glfw2::OPENED ? opened : param == glfw2::ACTIVE ? active : 0;
  }
  void SwapBuffers() override { opened = opened && ++swaps != closeAfterSwaps; }
  void SwapInterval(int) override { calls.push_back("swapinterval"); }
  void PollEvents() override { Events(); }
  void WaitEvents() override { waits++, Events(); }
  int GetKey(int key) override { return keysDown.count(key) ? glfw2::kPress : glfw2::kRelease; }
  void GetMousePos(int* x, int* y) override { *x = mouseX, *y = mouseY; }
  void Enable(int token) override { keyRepeat = keyRepeat || token == glfw2::KEY_REPEAT; }
  void Disable(int) override {}
  void SetKeyCallback(glfw2::KeyFun f) override { keyFun = f; }
  void SetCharCallback(glfw2::CharFun f) override { charFun = f; }
  void SetMouseButtonCallback(glfw2::MouseButtonFun f) override { mouseButtonFun = f; }
  void SetMousePosCallback(glfw2::MousePosFun f) override { mousePosFun = f; }
  void SetWindowCloseCallback(glfw2::WindowCloseFun f) override { closeFun = f; }
  int GetJoystickParam(int joy, int param) override {
    return param == glfw2::PRESENT && joysticks[joy].present;
  }
  int GetJoystickPos(int j, float* pos, int n) override { return Copy(joysticks[j].axes, pos, n); }
  int GetJoystickButtons(int j, unsigned char* to, int n) override {
    return Copy(joysticks[j].buttons, to, n);
  }
  int GetGamepadState(int joy, glfw2::GamepadState* state) override {
    const Joystick& j = joysticks[joy];
    if (j.present && j.mapped) *state = j.pad;
    return j.present && j.mapped ? glfw2::kTrue : glfw2::kFalse;
  }
  // GLFW tells of every pad plugged in or pulled out; here, of each change of `present` since
  // the last call, after the swaps made by Replug.
  std::vector<glfw2::JoystickEvent> JoystickEvents() override {
    std::vector<glfw2::JoystickEvent> events;
    events.swap(swaps_);
    for (int joy = 0; joy < 16; joy++) {
      if (told_[joy] != joysticks[joy].present) events.push_back({joy, told_[joy] = !told_[joy]});
    }
    return events;
  }
  // One pad pulled out of the slot and another plugged in before the host looks again.
  void Replug(int joy) {
    swaps_.insert(swaps_.end(), {{joy, false}, {joy, true}});
    joysticks[joy].present = told_[joy] = true;
  }
  // Takes what the library takes: a line led by a GUID of 32 hex digits and a comma.
  int UpdateGamepadMapping(const char* line) override {
    const std::string text(line);
    if (text.size() < 33 || text[32] != ',' ||
        text.find_first_not_of("0123456789abcdefABCDEF") != 32) {
      return glfw2::kFalse;
    }
    mappings.push_back(text);
    return glfw2::kTrue;
  }
  int GetVideoModes(glfw2::VidMode* list, int maxcount) override {
    return Copy(std::vector<glfw2::VidMode>{{800, 600, 8, 8, 8}, {1024, 768, 8, 8, 8}}, list,
                maxcount);
  }
  void GetDesktopMode(glfw2::VidMode* m) override { *m = desktop; }
  double GetTime() override { return time; }
  void Sleep(double seconds) override { sleeps++, time += seconds; }

 private:
  bool told_[16] = {};  // present, as far as JoystickEvents has told
  std::vector<glfw2::JoystickEvent> swaps_;
  void Events() {
    if (onEvents) onEvents();
  }
  template <class T>
  static int Copy(const std::vector<T>& from, T* to, int count) {
    int n = std::min(count, static_cast<int>(from.size()));
    std::copy_n(from.begin(), n, to);
    return n;
  }
};

}  // namespace kxtest
