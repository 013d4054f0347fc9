// The window-less platform, that verifying a recording runs on: one window that nobody sees,
// of the size the recording says the game saw, and a clock that stands still (a verified run
// takes every time from the file).
// Limitations: no input, no joysticks, no video modes, nothing drawn. Depends on nothing.
#include "host/glfw2.h"

namespace glfw2 {
namespace {

class HeadlessApi : public Api {
 public:
  int width = 0, height = 0;
  bool opened = false;

  int Init() override { return kTrue; }
  void Terminate() override { opened = false; }
  int OpenWindow(int w, int h, int, int, int, int, int, int, int) override {
    width = w, height = h, opened = true;
    return kTrue;
  }
  void OpenWindowHint(int, int) override {}
  void CloseWindow() override { opened = false; }
  void SetWindowTitle(const char*) override {}
  void SetWindowIcon(const std::vector<Image>&) override {}
  void SetWindowPos(int, int) override {}
  void GetWindowSize(int* w, int* h) override {
    if (w) *w = width;
    if (h) *h = height;
  }
  int GetWindowParam(int param) override { return param == OPENED ? opened : param == ACTIVE; }
  void SwapBuffers() override {}
  void SwapInterval(int) override {}
  void PollEvents() override {}
  void WaitEvents() override {}
  int GetKey(int) override { return kRelease; }
  void GetMousePos(int* x, int* y) override { *x = *y = 0; }
  void Enable(int) override {}
  void Disable(int) override {}
  void SetKeyCallback(KeyFun) override {}
  void SetCharCallback(CharFun) override {}
  void SetMouseButtonCallback(MouseButtonFun) override {}
  void SetMousePosCallback(MousePosFun) override {}
  void SetWindowCloseCallback(WindowCloseFun) override {}
  int GetJoystickParam(int, int) override { return 0; }
  int GetJoystickPos(int, float*, int) override { return 0; }
  int GetJoystickButtons(int, unsigned char*, int) override { return 0; }
  int GetGamepadState(int, GamepadState*) override { return kFalse; }
  std::vector<JoystickEvent> JoystickEvents() override { return {}; }
  int UpdateGamepadMapping(const char*) override { return kTrue; }
  int GetVideoModes(VidMode*, int) override { return 0; }
  void GetDesktopMode(VidMode* mode) override { *mode = VidMode{0, 0, 0, 0, 0, 0}; }
  double GetTime() override { return 0; }
  void Sleep(double) override {}
};

HeadlessApi headless;

}  // namespace

Api* Headless() { return &headless; }

void SetHeadlessSize(int width, int height) {
  headless.width = width;
  headless.height = height;
}

}  // namespace glfw2
