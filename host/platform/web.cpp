// The web platform: GLFW 2.7 behaviour over emscripten's GLFW 3 in a browser page, the canvas as
// the window. The host's loop stays as it is: Asyncify lets a swap wait for the browser's next
// animation frame and a sleep for a timer, so the page draws and hears the player in between.
// Pads are read from the browser's Gamepad API: one with the standard mapping reads as GLFW 3's
// gamepad, any other by its raw axes and buttons. The player's files live in /save, which the
// page mounts from IndexedDB before the game starts; every store is copied back to it.
// Limitations: the window is the page's canvas (its title is the page's, it has no icon and no
// close button); the browser's full screen needs the player's own click or key, so the page
// switches it (its button, F11) and a full-screen window the game asks for is only the size of
// the screen; a hidden page stops the loop at its next swap; a raw pad's triggers are buttons.
// Depends on emscripten (-sUSE_GLFW=3, -sASYNCIFY, -lidbfs.js) and the page (dist/web/page.js).
#include <emscripten.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/platform/glfw3.h"
#include "host/platform/platform.h"

namespace {

// Resolves at the browser's next animation frame: the end of a frame the page shows. The
// page's onFrame, if any, sees the frame first, while its pixels are still there to read, with
// the milliseconds the program spent on it since the last frame.
EM_ASYNC_JS(void, kx_web_NextFrame, (), {
  if (Module['onFrame'] && Module.kxResumed !== undefined) Module['onFrame'](performance.now() - Module.kxResumed);
  await new Promise(function(resolve) { requestAnimationFrame(resolve); });
  Module.kxResumed = performance.now();
});

// Offers the page a promise of the program's end: once main has waited on the browser, its
// exit() ends it from a browser callback, by throwing; the promise takes that throw instead of
// the page's global error handler.
EM_JS(void, kx_web_OfferEnd, (), {
  Module['ended'] = function() { return Asyncify.currData ? Asyncify.whenDone() : Promise.resolve(); };
});

// Tells the page how the sound stands: the audio context's state and the sources playing.
EM_JS(void, kx_web_OfferAudioState, (), {
  Module['audioState'] = function() {
    var context = AL.currentCtx;
    if (!context) return {context: 'none', playing: 0};
    var playing = 0;
    for (var id in context.sources) playing += context.sources[id].state === 0x1012 ? 1 : 0;
    return {context: context.audioCtx.state, playing: playing};
  };
});

EM_JS(int, kx_web_Visible, (), { return document.visibilityState === 'visible' ? 1 : 0; });

EM_JS(int, kx_web_ScreenSize, (int which), { return which ? screen.height : screen.width; });

// The pad in browser slot `joy`, or null when there is none.
EM_JS(int, kx_web_PadPresent, (int joy), {
  var pads = navigator.getGamepads ? navigator.getGamepads() : [];
  return pads[joy] && pads[joy].connected ? 1 : 0;
});

EM_JS(int, kx_web_PadStandard, (int joy), {
  var pad = navigator.getGamepads()[joy];
  return pad && pad.mapping === 'standard' ? 1 : 0;
});

// Fills up to `count` of the pad's axes (kind 0) or button values (kind 1); returns how many
// the pad has, at most `count`.
EM_JS(int, kx_web_PadRead, (int joy, int kind, float* out, int count), {
  var pad = navigator.getGamepads()[joy];
  if (!pad) return 0;
  var list = kind ? pad.buttons : pad.axes;
  var n = Math.min(count, list.length);
  for (var i = 0; i < n; i++) {
    HEAPF32[(out >> 2) + i] = kind ? list[i].value || (list[i].pressed ? 1 : 0) : list[i];
  }
  return n;
});

EM_JS(void, kx_web_SyncState, (), {
  FS.syncfs(false, function(error) {
    if (error) console.error('Skarblit: the browser did not keep the saved state: ' + error);
  });
});

EM_JS(void, kx_web_Open, (const char* url), {
  window.open(UTF8ToString(url), '_blank', 'noopener');
});

// The browser's standard pad layout, by button number, in GLFW 3's gamepad buttons; the
// triggers (6 and 7) are axes there.
const int kStandardButtons[] = {
    glfw2::GAMEPAD_A,          glfw2::GAMEPAD_B,          glfw2::GAMEPAD_X,
    glfw2::GAMEPAD_Y,          glfw2::GAMEPAD_LEFT_BUMPER, glfw2::GAMEPAD_RIGHT_BUMPER,
    -1,                        -1,                        glfw2::GAMEPAD_BACK,
    glfw2::GAMEPAD_START,      glfw2::GAMEPAD_LEFT_THUMB, glfw2::GAMEPAD_RIGHT_THUMB,
    glfw2::GAMEPAD_DPAD_UP,    glfw2::GAMEPAD_DPAD_DOWN,  glfw2::GAMEPAD_DPAD_LEFT,
    glfw2::GAMEPAD_DPAD_RIGHT, glfw2::GAMEPAD_GUIDE,
};
const int kStandardCount = sizeof kStandardButtons / sizeof kStandardButtons[0];
const int kMaxPadValues = 32;

std::vector<float> PadValues(int joy, int kind) {
  std::vector<float> values(kMaxPadValues);
  values.resize(kx_web_PadRead(joy, kind, values.data(), kMaxPadValues));
  return values;
}

}  // namespace

namespace glfw2 {
namespace {

class Web : public Glfw3Window {
 public:
  int Init() override {
    if (!glfwInit()) return kFalse;
    kx_web_OfferAudioState();
    kx_web_OfferEnd();
    for (int joy = 0; joy <= JOYSTICK_LAST; joy++) present_[joy] = false;
    return kTrue;
  }

  void SwapBuffers() override {
    Glfw3Window::SwapBuffers();
    kx_web_NextFrame();
  }

  // The browser delivers events between frames; nothing here may block it.
  void WaitEvents() override { PollEvents(); }

  int GetJoystickParam(int joy, int param) override {
    if (!Present(joy)) return 0;
    switch (param) {
      case PRESENT:
        return kTrue;
      case AXES:
        return static_cast<int>(PadValues(joy, 0).size());
      case BUTTONS:
        return static_cast<int>(PadValues(joy, 1).size());
      default:
        return 0;
    }
  }

  // 2.7's axes: up is positive on the vertical (odd-numbered) ones.
  int GetJoystickPos(int joy, float* pos, int count) override {
    if (!Present(joy)) return 0;
    std::vector<float> axes = PadValues(joy, 0);
    int n = 0;
    for (; n < count && n < static_cast<int>(axes.size()); n++) pos[n] = n % 2 ? -axes[n] : axes[n];
    return n;
  }

  int GetJoystickButtons(int joy, unsigned char* buttons, int count) override {
    if (!Present(joy)) return 0;
    std::vector<float> values = PadValues(joy, 1);
    int n = 0;
    for (; n < count && n < static_cast<int>(values.size()); n++) {
      buttons[n] = values[n] > 0.5f ? kPress : kRelease;
    }
    return n;
  }

  int GetGamepadState(int joy, GamepadState* state) override {
    if (!Present(joy) || !kx_web_PadStandard(joy)) return kFalse;
    std::vector<float> axes = PadValues(joy, 0), values = PadValues(joy, 1);
    axes.resize(4, 0.0f);
    values.resize(kStandardCount, 0.0f);
    for (int i = 0; i < GAMEPAD_BUTTONS; i++) state->buttons[i] = kRelease;
    for (int i = 0; i < kStandardCount; i++) {
      if (kStandardButtons[i] >= 0 && values[i] > 0.5f) state->buttons[kStandardButtons[i]] = kPress;
    }
    for (int i = 0; i < 4; i++) state->axes[i] = axes[i];
    // A trigger at rest reads -1 in GLFW 3, fully pulled 1.
    state->axes[GAMEPAD_LEFT_TRIGGER] = values[6] * 2 - 1;
    state->axes[GAMEPAD_RIGHT_TRIGGER] = values[7] * 2 - 1;
    return kTrue;
  }

  std::vector<JoystickEvent> JoystickEvents() override {
    std::vector<JoystickEvent> events;
    for (int joy = 0; joy <= JOYSTICK_LAST; joy++) {
      bool now = kx_web_PadPresent(joy) != 0;
      if (now != present_[joy]) events.push_back({joy, now});
      present_[joy] = now;
    }
    return events;
  }

  // The browser maps the pads it knows itself.
  int UpdateGamepadMapping(const char*) override { return kTrue; }

  int GetVideoModes(VidMode* list, int maxcount) override {
    if (maxcount < 1) return 0;
    GetDesktopMode(list);
    return 1;
  }

  void GetDesktopMode(VidMode* mode) override {
    *mode = VidMode{kx_web_ScreenSize(0), kx_web_ScreenSize(1), 8, 8, 8, 0};
  }

  void Sleep(double seconds) override {
    if (seconds > 0) emscripten_sleep(static_cast<unsigned>(std::ceil(seconds * 1000)));
  }

 protected:
  GLFWwindow* CreateWindow(int width, int height, bool fullscreen) override {
    if (fullscreen) {
      width = kx_web_ScreenSize(0);
      height = kx_web_ScreenSize(1);
    }
    return glfwCreateWindow(width, height, title_.c_str(), nullptr, nullptr);
  }

  bool Active() override { return kx_web_Visible() != 0; }

 private:
  bool Present(int joy) { return joy >= 0 && joy <= JOYSTICK_LAST && kx_web_PadPresent(joy); }

  bool present_[JOYSTICK_LAST + 1] = {};
};

}  // namespace

Api* Real() {
  static Web real;
  return &real;
}

}  // namespace glfw2

const char* kx_platform_StateFolder() { return "/save"; }

void kx_platform_StateStored() { kx_web_SyncState(); }

void kx_platform_OpenUrl(const std::string& url) { kx_web_Open(url.c_str()); }
