// The desktop platform: GLFW 2.7 behaviour over GLFW 3.3 (X11 or Wayland, OpenGL with the
// fixed-function pipeline): key numbers, one reopenable window with remembered title, class and
// icon, close requests that only close when the callback agrees, 2.7's joystick axis signs and
// pads in connection order; besides, GLFW 3's gamepads and their mappings.
// Limitations: one window, on the primary monitor; GLFW 3.3 cannot say whether a gamepad
// mapping binds an axis. Depends on libglfw3 (Debian's libglfw3-dev) and libdl.
#include "host/glfw2.h"

#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace glfw2 {
namespace {

static_assert(GAMEPAD_A == GLFW_GAMEPAD_BUTTON_A && GAMEPAD_B == GLFW_GAMEPAD_BUTTON_B &&
                  GAMEPAD_X == GLFW_GAMEPAD_BUTTON_X && GAMEPAD_Y == GLFW_GAMEPAD_BUTTON_Y &&
                  GAMEPAD_LEFT_BUMPER == GLFW_GAMEPAD_BUTTON_LEFT_BUMPER &&
                  GAMEPAD_RIGHT_BUMPER == GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER &&
                  GAMEPAD_BACK == GLFW_GAMEPAD_BUTTON_BACK &&
                  GAMEPAD_START == GLFW_GAMEPAD_BUTTON_START &&
                  GAMEPAD_GUIDE == GLFW_GAMEPAD_BUTTON_GUIDE &&
                  GAMEPAD_LEFT_THUMB == GLFW_GAMEPAD_BUTTON_LEFT_THUMB &&
                  GAMEPAD_RIGHT_THUMB == GLFW_GAMEPAD_BUTTON_RIGHT_THUMB &&
                  GAMEPAD_DPAD_UP == GLFW_GAMEPAD_BUTTON_DPAD_UP &&
                  GAMEPAD_DPAD_RIGHT == GLFW_GAMEPAD_BUTTON_DPAD_RIGHT &&
                  GAMEPAD_DPAD_DOWN == GLFW_GAMEPAD_BUTTON_DPAD_DOWN &&
                  GAMEPAD_DPAD_LEFT == GLFW_GAMEPAD_BUTTON_DPAD_LEFT &&
                  GAMEPAD_BUTTONS == GLFW_GAMEPAD_BUTTON_LAST + 1,
              "the gamepad buttons are numbered as GLFW's");
static_assert(GAMEPAD_LEFT_X == GLFW_GAMEPAD_AXIS_LEFT_X &&
                  GAMEPAD_LEFT_Y == GLFW_GAMEPAD_AXIS_LEFT_Y &&
                  GAMEPAD_RIGHT_X == GLFW_GAMEPAD_AXIS_RIGHT_X &&
                  GAMEPAD_RIGHT_Y == GLFW_GAMEPAD_AXIS_RIGHT_Y &&
                  GAMEPAD_LEFT_TRIGGER == GLFW_GAMEPAD_AXIS_LEFT_TRIGGER &&
                  GAMEPAD_RIGHT_TRIGGER == GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER &&
                  GAMEPAD_AXES == GLFW_GAMEPAD_AXIS_LAST + 1,
              "the gamepad axes are numbered as GLFW's");

// GLFW 3 key -> 2.7 key, for the keys whose numbers differ.
struct KeyPair {
  int v3;
  int v2;
};
const KeyPair kNamedKeys[] = {
    {GLFW_KEY_ESCAPE, KEY_ESC},         {GLFW_KEY_UP, KEY_UP},
    {GLFW_KEY_DOWN, KEY_DOWN},          {GLFW_KEY_LEFT, KEY_LEFT},
    {GLFW_KEY_RIGHT, KEY_RIGHT},        {GLFW_KEY_LEFT_SHIFT, KEY_LSHIFT},
    {GLFW_KEY_RIGHT_SHIFT, KEY_RSHIFT}, {GLFW_KEY_LEFT_CONTROL, KEY_LCTRL},
    {GLFW_KEY_RIGHT_CONTROL, KEY_RCTRL}, {GLFW_KEY_LEFT_ALT, KEY_LALT},
    {GLFW_KEY_RIGHT_ALT, KEY_RALT},     {GLFW_KEY_TAB, KEY_TAB},
    {GLFW_KEY_ENTER, KEY_ENTER},        {GLFW_KEY_BACKSPACE, KEY_BACKSPACE},
    {GLFW_KEY_INSERT, KEY_INSERT},      {GLFW_KEY_DELETE, KEY_DEL},
    {GLFW_KEY_PAGE_UP, KEY_PAGEUP},     {GLFW_KEY_PAGE_DOWN, KEY_PAGEDOWN},
    {GLFW_KEY_HOME, KEY_HOME},          {GLFW_KEY_END, KEY_END},
    {GLFW_KEY_KP_DIVIDE, KEY_KP_DIVIDE}, {GLFW_KEY_KP_MULTIPLY, KEY_KP_MULTIPLY},
    {GLFW_KEY_KP_SUBTRACT, KEY_KP_SUBTRACT}, {GLFW_KEY_KP_ADD, KEY_KP_ADD},
    {GLFW_KEY_KP_DECIMAL, KEY_KP_DECIMAL}, {GLFW_KEY_KP_EQUAL, KEY_KP_EQUAL},
    {GLFW_KEY_KP_ENTER, KEY_KP_ENTER},  {GLFW_KEY_NUM_LOCK, KEY_KP_NUM_LOCK},
    {GLFW_KEY_CAPS_LOCK, KEY_CAPS_LOCK}, {GLFW_KEY_SCROLL_LOCK, KEY_SCROLL_LOCK},
    {GLFW_KEY_PAUSE, KEY_PAUSE},        {GLFW_KEY_LEFT_SUPER, KEY_LSUPER},
    {GLFW_KEY_RIGHT_SUPER, KEY_RSUPER}, {GLFW_KEY_MENU, KEY_MENU},
};

}  // namespace

int KeyFrom3(int key) {
  if (key >= GLFW_KEY_SPACE && key <= GLFW_KEY_GRAVE_ACCENT) return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) return KEY_F1 + (key - GLFW_KEY_F1);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return KEY_KP_0 + (key - GLFW_KEY_KP_0);
  for (const KeyPair& p : kNamedKeys) {
    if (p.v3 == key) return p.v2;
  }
  return -1;
}

int ActionFrom3(int action, bool keyRepeat) {
  if (action == GLFW_REPEAT) return keyRepeat ? kPress : -1;
  return action == GLFW_PRESS ? kPress : kRelease;
}

// 2.7's axis list: the axes, then two per hat; every odd-numbered axis negated so that up is
// positive on the vertical ones.
std::vector<float> AxesFrom3(const float* axes, int count, const unsigned char* hats, int hatCount) {
  std::vector<float> out(axes ? axes : nullptr, axes ? axes + count : nullptr);
  for (int i = 0; hats && i < hatCount; i++) {
    out.push_back((hats[i] & GLFW_HAT_RIGHT) ? 1.0f : (hats[i] & GLFW_HAT_LEFT) ? -1.0f : 0.0f);
    out.push_back((hats[i] & GLFW_HAT_DOWN) ? 1.0f : (hats[i] & GLFW_HAT_UP) ? -1.0f : 0.0f);
  }
  for (size_t i = 1; i < out.size(); i += 2) out[i] = -out[i];
  return out;
}

// 2.7 closed the window only when the callback returned non-zero.
bool CloseAgreed(WindowCloseFun fun) { return !fun || fun() != 0; }

void ScaledSize(int* width, int* height, float scale, int workWidth, int workHeight) {
  int factor = scale >= 1 && scale < 64 ? static_cast<int>(scale) : 1;
  while (factor > 1 && (*width * factor > workWidth || *height * factor > workHeight)) --factor;
  *width *= factor;
  *height *= factor;
}

namespace {

// GLFW 3 key of a 2.7 key number, or -1.
int KeyTo3(int key) {
  if (key >= GLFW_KEY_SPACE && key <= GLFW_KEY_GRAVE_ACCENT) return key;
  if (key >= KEY_F1 && key <= KEY_F25) return GLFW_KEY_F1 + (key - KEY_F1);
  if (key >= KEY_KP_0 && key <= KEY_KP_0 + 9) return GLFW_KEY_KP_0 + (key - KEY_KP_0);
  for (const KeyPair& p : kNamedKeys) {
    if (p.v2 == key) return p.v3;
  }
  return -1;
}

// Under the address sanitizer, the leak check at exit names the libraries it is told to ignore by
// where their code is; the windowing library's end unloads the OpenGL driver, whose allocations
// then look like ours. So such builds keep every library loaded for good.
void KeepLibrariesForLeakCheck() {
#if defined(__SANITIZE_ADDRESS__)
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (*info->dlpi_name) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
#endif
}

class Glfw3 : public Api {
 public:
  int Init() override {
    // 2.7 reported hats as axes, not as extra buttons.
    glfwInitHint(GLFW_JOYSTICK_HAT_BUTTONS, GLFW_FALSE);
    if (!glfwInit()) return kFalse;
    WatchJoysticks();
    return kTrue;
  }

  void Terminate() override {
    window_ = nullptr;
    KeepLibrariesForLeakCheck();
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
    // The desktop matches the window to its menu entry (StartupWMClass) by its class.
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "Skarblit");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "skarblit");
    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    if (!monitor) ScaleForScreen(&width, &height);
    window_ = glfwCreateWindow(width, height, title_.c_str(), monitor, nullptr);
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
        return glfwGetWindowAttrib(window_, GLFW_FOCUSED) &&
                       !glfwGetWindowAttrib(window_, GLFW_ICONIFIED)
                   ? kTrue
                   : kFalse;
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

  void WaitEvents() override {
    // Without a window nothing could ever wake the wait.
    if (window_) glfwWaitEvents();
  }

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

  int GetJoystickParam(int joy, int param) override {
    if (!glfwJoystickPresent(joy)) return 0;
    switch (param) {
      case PRESENT:
        return kTrue;
      case AXES:
        return static_cast<int>(JoystickAxes(joy).size());
      case BUTTONS: {
        int count = 0;
        glfwGetJoystickButtons(joy, &count);
        return count;
      }
      default:
        return 0;
    }
  }

  int GetJoystickPos(int joy, float* pos, int count) override {
    if (!glfwJoystickPresent(joy)) return 0;
    std::vector<float> axes = JoystickAxes(joy);
    int n = 0;
    for (; n < count && n < static_cast<int>(axes.size()); n++) pos[n] = axes[n];
    return n;
  }

  int GetJoystickButtons(int joy, unsigned char* buttons, int count) override {
    int have = 0;
    const unsigned char* state = glfwJoystickPresent(joy) ? glfwGetJoystickButtons(joy, &have)
                                                           : nullptr;
    int n = 0;
    for (; state && n < count && n < have; n++) buttons[n] = state[n] == GLFW_PRESS ? kPress : kRelease;
    return n;
  }

  int GetGamepadState(int joy, GamepadState* state) override {
    GLFWgamepadstate pad;
    if (!glfwJoystickPresent(joy) || !glfwGetGamepadState(joy, &pad)) return kFalse;
    for (int i = 0; i < GAMEPAD_BUTTONS; i++) {
      state->buttons[i] = pad.buttons[i] == GLFW_PRESS ? kPress : kRelease;
    }
    std::memcpy(state->axes, pad.axes, sizeof(state->axes));
    return kTrue;
  }

  std::vector<JoystickEvent> JoystickEvents() override {
    // GLFW notices a pad pulled out when it next reads it: reading every pad now has the ones
    // gone so far told by this call, not by the next one after the host has read them.
    for (int joy = GLFW_JOYSTICK_1; joy <= GLFW_JOYSTICK_LAST; joy++) glfwJoystickPresent(joy);
    std::vector<JoystickEvent> events;
    events.swap(joystickEvents_);
    return events;
  }

  // GLFW reports a malformed mapping as an error but still returns true, and passes over
  // lines that do not start with a GUID, or are too long for it, without a word.
  int UpdateGamepadMapping(const char* line) override {
    if (!std::isxdigit(static_cast<unsigned char>(line[0])) || std::strlen(line) >= 1024) {
      return kFalse;
    }
    glfwGetError(nullptr);
    int added = glfwUpdateGamepadMappings(line);
    return added && glfwGetError(nullptr) == GLFW_NO_ERROR ? kTrue : kFalse;
  }

  int GetVideoModes(VidMode* list, int maxcount) override {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    int have = 0;
    const GLFWvidmode* modes = monitor ? glfwGetVideoModes(monitor, &have) : nullptr;
    int n = 0;
    for (; modes && n < have && n < maxcount; n++) list[n] = From3(modes[n]);
    return n;
  }

  void GetDesktopMode(VidMode* mode) override {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* current = monitor ? glfwGetVideoMode(monitor) : nullptr;
    *mode = current ? From3(*current) : VidMode{0, 0, 0, 0, 0, 0};
  }

  double GetTime() override { return glfwGetTime(); }

  void Sleep(double seconds) override {
    if (!(seconds > 0)) return;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  }

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

  static VidMode From3(const GLFWvidmode& m) {
    return VidMode{m.width, m.height, m.redBits, m.blueBits, m.greenBits, m.refreshRate};
  }

  // GLFW's callback tells of pads that come and go, but not of those there when it started
  // (setting the callback is what opens them): those are told first, in slot order.
  void WatchJoysticks() {
    joystickEvents_.clear();
    glfwSetJoystickCallback(OnJoystick3);
    for (int joy = GLFW_JOYSTICK_1; joy <= GLFW_JOYSTICK_LAST; joy++) {
      if (glfwJoystickPresent(joy)) joystickEvents_.push_back({joy, true});
    }
  }

  static void OnJoystick3(int joy, int event) {
    static_cast<Glfw3*>(Real())->joystickEvents_.push_back({joy, event == GLFW_CONNECTED});
  }

  static std::vector<float> JoystickAxes(int joy) {
    int count = 0, hats = 0;
    const float* axes = glfwGetJoystickAxes(joy, &count);
    const unsigned char* hat = glfwGetJoystickHats(joy, &hats);
    return AxesFrom3(axes, count, hat, hats);
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

  void ApplyIcon() {
    if (!window_) return;
    std::vector<GLFWimage> images;
    for (Image& image : icon_) images.push_back({image.width, image.height, image.pixels.data()});
    glfwSetWindowIcon(window_, static_cast<int>(images.size()), images.empty() ? nullptr : images.data());
  }

  // A window on a dense screen (a content scale of 2) is as large to the eye as on an
  // ordinary one.
  static void ScaleForScreen(int* width, int* height) {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    if (!monitor) return;
    float xscale = 1, yscale = 1;
    int x, y, workWidth = 0, workHeight = 0;
    glfwGetMonitorContentScale(monitor, &xscale, &yscale);
    glfwGetMonitorWorkarea(monitor, &x, &y, &workWidth, &workHeight);
    ScaledSize(width, height, std::min(xscale, yscale), workWidth, workHeight);
  }

  static Glfw3* Of(GLFWwindow* window) {
    return static_cast<Glfw3*>(glfwGetWindowUserPointer(window));
  }

  static void OnKey3(GLFWwindow* window, int key, int, int action, int) {
    Glfw3* self = Of(window);
    int key2 = KeyFrom3(key), action2 = ActionFrom3(action, self->keyRepeat_);
    if (self->keyFun_ && key2 >= 0 && action2 >= 0) self->keyFun_(key2, action2);
  }

  static void OnChar3(GLFWwindow* window, unsigned int codepoint) {
    Glfw3* self = Of(window);
    if (self->charFun_) self->charFun_(static_cast<int>(codepoint), kPress);
  }

  static void OnMouseButton3(GLFWwindow* window, int button, int action, int) {
    Glfw3* self = Of(window);
    if (self->mouseButtonFun_) self->mouseButtonFun_(button, action == GLFW_PRESS ? kPress : kRelease);
  }

  static void OnCursorPos3(GLFWwindow* window, double x, double y) {
    Glfw3* self = Of(window);
    if (self->mousePosFun_) {
      self->mousePosFun_(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    }
  }

  static void OnClose3(GLFWwindow* window) {
    if (!CloseAgreed(Of(window)->closeFun_)) glfwSetWindowShouldClose(window, GLFW_FALSE);
  }

  GLFWwindow* window_ = nullptr;
  std::string title_ = "GLFW Window";
  std::vector<Image> icon_;
  int refreshRate_ = 0;
  bool noResize_ = false;
  bool keyRepeat_ = false;
  bool cursorVisible_ = true;
  KeyFun keyFun_ = nullptr;
  CharFun charFun_ = nullptr;
  MouseButtonFun mouseButtonFun_ = nullptr;
  MousePosFun mousePosFun_ = nullptr;
  WindowCloseFun closeFun_ = nullptr;
  std::vector<JoystickEvent> joystickEvents_;  // since the last JoystickEvents
};

Api* installed = nullptr;

}  // namespace

Api* Real() {
  static Glfw3 real;
  return &real;
}

Api* Current() { return installed ? installed : Real(); }

void Install(Api* api) { installed = api; }

}  // namespace glfw2
