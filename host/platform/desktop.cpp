// The desktop platform: GLFW 2.7 behaviour over GLFW 3.3 (X11 or Wayland, OpenGL with the
// fixed-function pipeline): key numbers, one reopenable window with remembered title, class and
// icon, close requests that only close when the callback agrees, 2.7's joystick axis signs and
// pads in connection order; besides, GLFW 3's gamepads and their mappings.
// Limitations: one window, on the primary monitor; GLFW 3.3 cannot say whether a gamepad
// mapping binds an axis. Depends on libglfw3 (Debian's libglfw3-dev) and libdl.
#include "host/platform/glfw3.h"

#include <dlfcn.h>
#include <link.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/platform/platform.h"

extern char** environ;

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

}  // namespace

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

void ScaledSize(int* width, int* height, float scale, int workWidth, int workHeight) {
  int factor = scale >= 1 && scale < 64 ? static_cast<int>(scale) : 1;
  while (factor > 1 && (*width * factor > workWidth || *height * factor > workHeight)) --factor;
  *width *= factor;
  *height *= factor;
}

namespace {

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

class Desktop : public Glfw3Window {
 public:
  int Init() override {
    // 2.7 reported hats as axes, not as extra buttons.
    glfwInitHint(GLFW_JOYSTICK_HAT_BUTTONS, GLFW_FALSE);
    if (!glfwInit()) return kFalse;
    WatchJoysticks();
    return kTrue;
  }

  void Terminate() override {
    KeepLibrariesForLeakCheck();
    Glfw3Window::Terminate();
  }

  void WaitEvents() override {
    // Without a window nothing could ever wake the wait.
    if (window_) glfwWaitEvents();
  }

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

  void Sleep(double seconds) override {
    if (!(seconds > 0)) return;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  }

 protected:
  GLFWwindow* CreateWindow(int width, int height, bool fullscreen) override {
    // The desktop matches the window to its menu entry (StartupWMClass) by its class.
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "Skarblit");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "skarblit");
    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    if (!monitor) ScaleForScreen(&width, &height);
    return glfwCreateWindow(width, height, title_.c_str(), monitor, nullptr);
  }

  void ApplyIcon() override {
    if (!window_) return;
    std::vector<GLFWimage> images;
    for (Image& image : icon_) images.push_back({image.width, image.height, image.pixels.data()});
    glfwSetWindowIcon(window_, static_cast<int>(images.size()), images.empty() ? nullptr : images.data());
  }

 private:
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
    static_cast<Desktop*>(Real())->joystickEvents_.push_back({joy, event == GLFW_CONNECTED});
  }

  static std::vector<float> JoystickAxes(int joy) {
    int count = 0, hats = 0;
    const float* axes = glfwGetJoystickAxes(joy, &count);
    const unsigned char* hat = glfwGetJoystickHats(joy, &hats);
    return AxesFrom3(axes, count, hat, hats);
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

  std::vector<JoystickEvent> joystickEvents_;  // since the last JoystickEvents
};

}  // namespace

Api* Real() {
  static Desktop real;
  return &real;
}

}  // namespace glfw2

const char* kx_platform_StateFolder() { return "."; }

// The state file is already on the disk when it has been replaced.
void kx_platform_StateStored() {}

void kx_platform_OpenUrl(const std::string& url) {
  if (url.empty() || url.find('\0') != std::string::npos) return;
  std::string text = url;
  char program[] = "xdg-open";
  char* argv[] = {program, &text[0], nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return;
  // Reap it whenever it ends, without holding up the game.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}
