// The platform a scripted recording runs on, and the host that records over it. The host's own
// loop drives the game as on the desktop; the platform answers it from the script, so its
// clock moves only as the loop waits for the next update and its events come at the updates
// the script names.
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/replay/script.h"

namespace {

// What the scripted machine looks like.
const glfw2::VidMode kDesktop = {1920, 1080, 8, 8, 8, 60};
const glfw2::VidMode kModes[] = {{640, 480, 8, 8, 8, 60},    {800, 600, 8, 8, 8, 60},
                                 {1024, 768, 8, 8, 8, 60},   {1280, 720, 8, 8, 8, 60},
                                 {1280, 1024, 8, 8, 8, 60},  {1920, 1080, 8, 8, 8, 60}};
const int kDate[7] = {2026, 6, 1, 12, 0, 0, 0};
// The clock starts where a real one would be after start-up, not at 0, which the host's loop
// takes for "no update scheduled".
const double kStartTime = 1.0;

// The character a keyboard types with a key, unshifted; 0 for none.
int TypedBy(int key) {
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
  if ((key >= '0' && key <= '9') || key == glfw2::KEY_SPACE) return key;
  return 0;
}

class ScriptedPlatform : public glfw2::Api {
 public:
  ScriptedPlatform(const KxReplayScript& script, std::function<int()> updates)
      : script_(script), updates_(std::move(updates)) {}

  int Init() override { return glfw2::kTrue; }
  void Terminate() override { opened_ = false; }
  int OpenWindow(int w, int h, int, int, int, int, int, int, int) override {
    width_ = w > 0 ? w : 640, height_ = h > 0 ? h : 480, opened_ = true;
    // A new window has seen no key go down.
    for (bool& held : keys_) held = false;
    return glfw2::kTrue;
  }
  void OpenWindowHint(int, int) override {}
  void CloseWindow() override { opened_ = false; }
  void SetWindowTitle(const char*) override {}
  void SetWindowIcon(const std::vector<glfw2::Image>&) override {}
  void SetWindowPos(int, int) override {}
  void GetWindowSize(int* w, int* h) override {
    if (w) *w = width_;
    if (h) *h = height_;
  }
  // The window closes when the script ends.
  int GetWindowParam(int param) override {
    if (param == glfw2::OPENED) return opened_ && updates_() < script_.end;
    return param == glfw2::ACTIVE;
  }
  void SwapBuffers() override {}
  void SwapInterval(int) override {}
  void PollEvents() override {
    while (next_ < script_.events.size() && script_.events[next_].update <= updates_())
      Deliver(script_.events[next_++]);
  }
  void WaitEvents() override { PollEvents(); }
  int GetKey(int key) override {
    return key >= 0 && key <= glfw2::KEY_LAST && keys_[key] ? glfw2::kPress : glfw2::kRelease;
  }
  void GetMousePos(int* x, int* y) override { *x = mouseX_, *y = mouseY_; }
  void Enable(int) override {}
  void Disable(int) override {}
  void SetKeyCallback(glfw2::KeyFun f) override { onKey_ = f; }
  void SetCharCallback(glfw2::CharFun f) override { onChar_ = f; }
  void SetMouseButtonCallback(glfw2::MouseButtonFun f) override { onButton_ = f; }
  void SetMousePosCallback(glfw2::MousePosFun f) override { onPos_ = f; }
  void SetWindowCloseCallback(glfw2::WindowCloseFun f) override { onClose_ = f; }
  int GetJoystickParam(int joy, int param) override {
    if (!Present(joy)) return 0;
    return param == glfw2::PRESENT ? 1 : param == glfw2::AXES ? glfw2::GAMEPAD_AXES
                                                              : glfw2::GAMEPAD_BUTTONS;
  }
  // Every scripted pad is one whose layout the library knows: the host reads it as a pad.
  int GetJoystickPos(int, float*, int) override { return 0; }
  int GetJoystickButtons(int, unsigned char*, int) override { return 0; }
  int GetGamepadState(int joy, glfw2::GamepadState* state) override {
    if (!Present(joy)) return glfw2::kFalse;
    *state = pads_[joy].state;
    return glfw2::kTrue;
  }
  std::vector<glfw2::JoystickEvent> JoystickEvents() override {
    std::vector<glfw2::JoystickEvent> events;
    events.swap(joystickEvents_);
    return events;
  }
  int UpdateGamepadMapping(const char*) override { return glfw2::kTrue; }
  int GetVideoModes(glfw2::VidMode* list, int maxcount) override {
    int count = 0;
    for (const glfw2::VidMode& mode : kModes) {
      if (count < maxcount) list[count++] = mode;
    }
    return count;
  }
  void GetDesktopMode(glfw2::VidMode* mode) override { *mode = kDesktop; }
  double GetTime() override { return time_; }
  void Sleep(double seconds) override {
    if (seconds > 0) time_ += seconds;
  }

 private:
  struct Pad {
    bool present = false;
    glfw2::GamepadState state = {};
  };

  bool Present(int joy) const { return joy >= 0 && joy <= glfw2::JOYSTICK_LAST && pads_[joy].present; }

  void Deliver(const KxScriptEvent& e) {
    switch (e.type) {
      case KxScriptEvent::KeyDown:
        if (keys_[e.a]) return;
        keys_[e.a] = true;
        if (onKey_) onKey_(e.a, glfw2::kPress);
        if (onChar_ && TypedBy(e.a)) onChar_(TypedBy(e.a), glfw2::kPress);
        return;
      case KxScriptEvent::KeyUp:
        // A key the window never saw go down (it went down in the one before) has no release.
        if (!keys_[e.a]) return;
        keys_[e.a] = false;
        if (onKey_) onKey_(e.a, glfw2::kRelease);
        return;
      case KxScriptEvent::MouseMove:
        mouseX_ = e.a, mouseY_ = e.b;
        if (onPos_) onPos_(e.a, e.b);
        return;
      case KxScriptEvent::MouseDown:
      case KxScriptEvent::MouseUp:
        if (onButton_) onButton_(e.a, e.type == KxScriptEvent::MouseDown ? glfw2::kPress
                                                                         : glfw2::kRelease);
        return;
      case KxScriptEvent::Close:
        if (onClose_ && onClose_()) opened_ = false;
        return;
      default:
        return DeliverPad(e);
    }
  }

  void DeliverPad(const KxScriptEvent& e) {
    Pad& pad = pads_[e.a];
    switch (e.type) {
      case KxScriptEvent::PadConnect:
      case KxScriptEvent::PadDisconnect:
        pad = Pad();
        // A pad at rest: sticks centred, triggers released.
        pad.state.axes[glfw2::GAMEPAD_LEFT_TRIGGER] = pad.state.axes[glfw2::GAMEPAD_RIGHT_TRIGGER] = -1;
        pad.present = e.type == KxScriptEvent::PadConnect;
        joystickEvents_.push_back({e.a, pad.present});
        return;
      case KxScriptEvent::PadAxis:
        pad.state.axes[e.b] = e.value;
        return;
      case KxScriptEvent::PadButtonDown:
      case KxScriptEvent::PadButtonUp:
        pad.state.buttons[e.b] = e.type == KxScriptEvent::PadButtonDown ? glfw2::kPress
                                                                        : glfw2::kRelease;
        return;
      default:
        return;
    }
  }

  const KxReplayScript& script_;
  std::function<int()> updates_;
  size_t next_ = 0;
  double time_ = kStartTime;
  bool opened_ = false;
  int width_ = 0, height_ = 0;
  bool keys_[glfw2::KEY_LAST + 1] = {};
  int mouseX_ = 0, mouseY_ = 0;
  Pad pads_[glfw2::JOYSTICK_LAST + 1];
  std::vector<glfw2::JoystickEvent> joystickEvents_;
  glfw2::KeyFun onKey_ = nullptr;
  glfw2::CharFun onChar_ = nullptr;
  glfw2::MouseButtonFun onButton_ = nullptr;
  glfw2::MousePosFun onPos_ = nullptr;
  glfw2::WindowCloseFun onClose_ = nullptr;
};

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return !in.bad();
}

}  // namespace

KxScriptedGame::KxScriptedGame() {}

KxScriptedGame::~KxScriptedGame() {
  if (glfw2::Current() == platform_.get()) glfw2::Install(nullptr);
}

bool KxScriptedGame::Load(const std::string& path, std::string* error) {
  std::string text, state;
  if (!ReadFile(path, &text)) return *error = "cannot be read", false;
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  if (!kx_script_Parse(text, folder, &script_, error)) return false;
  if (!script_.state.empty() && !ReadFile(script_.state, &state))
    return *error = "the state file " + script_.state + " cannot be read", false;
  platform_.reset(new ScriptedPlatform(script_, [this] { return Updates(); }));
  glfw2::Install(platform_.get());
  return true;
}

int KxScriptedGame::SaveState(String state) { return KxReplayHost::SaveState(state); }

int KxScriptedGame::ExitStatus() { return Stopped() ? 1 : 0; }

void KxScriptedGame::PlatformDate(Array<int> date) {
  for (int i = 0; i < 7 && i < date.Length(); ++i) date[i] = kDate[i];
}

String KxScriptedGame::PlatformState() {
  return script_.state.empty() ? String() : LoadString(String(script_.state.c_str()));
}
