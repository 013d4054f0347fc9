// What the two platforms over GLFW 3 share (the desktop's library and emscripten's, which keep
// GLFW 3's key numbers and calls): the translation of keys, and a window with GLFW 2.7's
// behaviour (one reopenable window with a remembered title, close requests that only close when
// the callback agrees, key repeat as presses, callbacks through the user pointer). Each platform
// completes the class with what differs: joysticks, pacing, the screen, icons.
#pragma once
#include <GLFW/glfw3.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/glfw2.h"

namespace glfw2 {

// The GLFW 3 key of a 2.7 key number, or -1.
int KeyTo3(int key);

class Glfw3Window : public Api {
 public:
  void Terminate() override {
    window_ = nullptr;
    glfwTerminate();
  }

  int OpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits,
                 int depthbits, int stencilbits, int mode) override {
    CloseWindow();
    DefaultSize(&width, &height);
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, redbits > 0 ? redbits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_GREEN_BITS, greenbits > 0 ? greenbits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_BLUE_BITS, bluebits > 0 ? bluebits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_ALPHA_BITS, alphabits > 0 ? alphabits : 0);
    glfwWindowHint(GLFW_DEPTH_BITS, depthbits > 0 ? depthbits : 0);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilbits > 0 ? stencilbits : 0);
    glfwWindowHint(GLFW_REFRESH_RATE, refreshRate_ > 0 ? refreshRate_ : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_RESIZABLE, noResize_ ? GLFW_FALSE : GLFW_TRUE);
    // Hints last for one opening, as in 2.7.
    refreshRate_ = 0;
    noResize_ = false;
    window_ = CreateWindow(width, height, mode == FULLSCREEN);
    if (!window_) return kFalse;
    ApplyIcon();
    glfwMakeContextCurrent(window_);
    glfwSetWindowUserPointer(window_, this);
    glfwSetKeyCallback(window_, OnKey3);
    glfwSetCharCallback(window_, OnChar3);
    glfwSetMouseButtonCallback(window_, OnMouseButton3);
    glfwSetCursorPosCallback(window_, OnCursorPos3);
    glfwSetWindowCloseCallback(window_, OnClose3);
    ApplyCursor();
    return kTrue;
  }

  void OpenWindowHint(int target, int hint) override {
    if (target == REFRESH_RATE) refreshRate_ = hint;
    if (target == WINDOW_NO_RESIZE) noResize_ = hint != 0;
  }

  void CloseWindow() override {
    if (!window_) return;
    glfwDestroyWindow(window_);
    window_ = nullptr;
  }

  // Kept for windows opened later too: there is conceptually one window with one title.
  void SetWindowTitle(const char* title) override {
    title_ = title ? title : "";
    if (window_) glfwSetWindowTitle(window_, title_.c_str());
  }

  void SetWindowIcon(const std::vector<Image>& sizes) override {
    icon_ = sizes;
    ApplyIcon();
  }

  void SetWindowPos(int x, int y) override {
    if (window_) glfwSetWindowPos(window_, x, y);
  }

  void GetWindowSize(int* width, int* height) override {
    int w = 0, h = 0;
    if (window_) glfwGetWindowSize(window_, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
  }

  int GetWindowParam(int param) override {
    if (!window_) return kFalse;
    switch (param) {
      case OPENED:
        return glfwWindowShouldClose(window_) ? kFalse : kTrue;
      case ACTIVE:
        return Active() ? kTrue : kFalse;
      case ICONIFIED:
        return glfwGetWindowAttrib(window_, GLFW_ICONIFIED) ? kTrue : kFalse;
      default:
        return kFalse;
    }
  }

  void SwapBuffers() override {
    if (window_) glfwSwapBuffers(window_);
  }

  void SwapInterval(int interval) override {
    if (window_) glfwSwapInterval(interval);
  }

  void PollEvents() override { glfwPollEvents(); }

  int GetKey(int key) override {
    int key3 = KeyTo3(key);
    if (!window_ || key3 < 0) return kRelease;
    return glfwGetKey(window_, key3) == GLFW_PRESS ? kPress : kRelease;
  }

  void GetMousePos(int* x, int* y) override {
    double cx = 0, cy = 0;
    if (window_) glfwGetCursorPos(window_, &cx, &cy);
    if (x) *x = static_cast<int>(std::floor(cx));
    if (y) *y = static_cast<int>(std::floor(cy));
  }

  void Enable(int token) override { SetFlag(token, true); }
  void Disable(int token) override { SetFlag(token, false); }

  void SetKeyCallback(KeyFun fun) override { keyFun_ = fun; }
  void SetCharCallback(CharFun fun) override { charFun_ = fun; }
  void SetMouseButtonCallback(MouseButtonFun fun) override { mouseButtonFun_ = fun; }
  void SetMousePosCallback(MousePosFun fun) override { mousePosFun_ = fun; }
  void SetWindowCloseCallback(WindowCloseFun fun) override { closeFun_ = fun; }

  double GetTime() override { return glfwGetTime(); }

 protected:
  // The window of the platform's kind, its hints set.
  virtual GLFWwindow* CreateWindow(int width, int height, bool fullscreen) = 0;
  // Whether the player is looking at the window (2.7's ACTIVE).
  virtual bool Active() {
    return glfwGetWindowAttrib(window_, GLFW_FOCUSED) && !glfwGetWindowAttrib(window_, GLFW_ICONIFIED);
  }
  // Shows icon_ on the window, where the platform has window icons.
  virtual void ApplyIcon() {}

  GLFWwindow* window_ = nullptr;
  std::string title_ = "GLFW Window";
  std::vector<Image> icon_;

 private:
  static void DefaultSize(int* width, int* height) {
    if (*width <= 0 && *height <= 0) {
      *width = 640;
      *height = 480;
    } else if (*width <= 0) {
      *width = *height * 4 / 3;
    } else if (*height <= 0) {
      *height = *width * 3 / 4;
    }
    if (*width <= 0) *width = 1;
    if (*height <= 0) *height = 1;
  }

  void SetFlag(int token, bool on) {
    if (token == KEY_REPEAT) keyRepeat_ = on;
    if (token == MOUSE_CURSOR) {
      cursorVisible_ = on;
      ApplyCursor();
    }
    // AUTO_POLL_EVENTS: GLFW 3 never polls by itself, so there is nothing to switch.
  }

  void ApplyCursor() {
    if (window_) {
      glfwSetInputMode(window_, GLFW_CURSOR, cursorVisible_ ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
    }
  }

  static Glfw3Window* Of(GLFWwindow* window) {
    return static_cast<Glfw3Window*>(glfwGetWindowUserPointer(window));
  }

  static void OnKey3(GLFWwindow* window, int key, int, int action, int) {
    Glfw3Window* self = Of(window);
    int key2 = KeyFrom3(key), action2 = ActionFrom3(action, self->keyRepeat_);
    if (self->keyFun_ && key2 >= 0 && action2 >= 0) self->keyFun_(key2, action2);
  }

  static void OnChar3(GLFWwindow* window, unsigned int codepoint) {
    Glfw3Window* self = Of(window);
    if (self->charFun_) self->charFun_(static_cast<int>(codepoint), kPress);
  }

  static void OnMouseButton3(GLFWwindow* window, int button, int action, int) {
    Glfw3Window* self = Of(window);
    if (self->mouseButtonFun_) self->mouseButtonFun_(button, action == GLFW_PRESS ? kPress : kRelease);
  }

  static void OnCursorPos3(GLFWwindow* window, double x, double y) {
    Glfw3Window* self = Of(window);
    if (self->mousePosFun_) {
      self->mousePosFun_(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    }
  }

  static void OnClose3(GLFWwindow* window) {
    if (!CloseAgreed(Of(window)->closeFun_)) glfwSetWindowShouldClose(window, GLFW_FALSE);
  }

  int refreshRate_ = 0;
  bool noResize_ = false;
  bool keyRepeat_ = false;
  bool cursorVisible_ = true;
  KeyFun keyFun_ = nullptr;
  CharFun charFun_ = nullptr;
  MouseButtonFun mouseButtonFun_ = nullptr;
  MousePosFun mousePosFun_ = nullptr;
  WindowCloseFun closeFun_ = nullptr;
};

}  // namespace glfw2
