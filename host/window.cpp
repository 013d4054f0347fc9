// The desktop host's window: (re)opening it, its size, the display and desktop modes, the
// swap interval and the mouse cursor.
#include <stb/stb_image.h>

#include <string>
#include <vector>

#include "host/glfwgame.h"

int glfwGraphicsSeq = 0;

namespace {

glfw2::Api& Glfw() { return *glfw2::Current(); }

// The most modes the windowing library is asked for.
const int kMaxModes = 1024;

// 60 Hz, except full screen at the desktop's own size, which asks for the desktop's own rate:
// then the display keeps its mode (no switch, no blanking on a 120 or 144 Hz desktop) and
// nothing is left to restore on the way out.
int RefreshRateFor(const glfw2::VidMode& desktop, int width, int height, bool fullscreen) {
  bool desktopSize = width == desktop.Width && height == desktop.Height;
  return fullscreen && desktopSize && desktop.RefreshRate > 0 ? desktop.RefreshRate : 60;
}

}  // namespace

void KxGlfwGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                               int depth, int stencil, bool fullscreen) {
  ReleaseHeldKeys();
  OpenGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
}

// The old window's release events would never arrive.
void KxGlfwGame::ReleaseHeldKeys() {
  for (int key = 0; key <= glfw2::KEY_LAST; key++) {
    int code = TransKey(key);
    if (code && Glfw().GetKey(key) == glfw2::kPress) KeyEvent(KxEventKeyUp, code);
  }
}

void KxGlfwGame::OpenGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                                int depth, int stencil, bool fullscreen) {
  glfw2::VidMode desktop;
  Glfw().GetDesktopMode(&desktop);
  Glfw().CloseWindow();
  Glfw().OpenWindowHint(glfw2::REFRESH_RATE, RefreshRateFor(desktop, width, height, fullscreen));
  Glfw().OpenWindowHint(glfw2::WINDOW_NO_RESIZE, 0);
  Glfw().OpenWindow(width, height, red, green, blue, alpha, depth, stencil,
                    fullscreen ? glfw2::FULLSCREEN : glfw2::WINDOW);
  ++glfwGraphicsSeq;
  if (!fullscreen) {
    // The library may have made it larger for a dense screen.
    Glfw().GetWindowSize(&width, &height);
    Glfw().SetWindowPos((desktop.Width - width) / 2, (desktop.Height - height) / 2);
    Glfw().SetWindowTitle("Skarblit");
  }
  if (swapInterval >= 0) Glfw().SwapInterval(swapInterval);
  Glfw().Enable(glfw2::KEY_REPEAT);
  Glfw().Disable(glfw2::AUTO_POLL_EVENTS);
  Glfw().SetKeyCallback(OnKey);
  Glfw().SetCharCallback(OnChar);
  Glfw().SetMouseButtonCallback(OnMouseButton);
  Glfw().SetMousePosCallback(OnMousePos);
  Glfw().SetWindowCloseCallback(OnWindowClose);
}

// The icon's sizes from the data folder, for the task bar, the window switcher and the
// window's frame; a missing or unreadable size is left out.
void KxGlfwGame::LoadWindowIcon() {
  std::vector<glfw2::Image> sizes;
  for (int side : {16, 32, 48, 64, 128, 256}) {
    std::string path = "./data/icons/skarblit-" + std::to_string(side) + ".png";
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!pixels) continue;
    sizes.push_back({w, h, std::vector<unsigned char>(pixels, pixels + static_cast<size_t>(w) * h * 4)});
    stbi_image_free(pixels);
  }
  Glfw().SetWindowIcon(sizes);
}

void KxGlfwGame::SetDeviceWindow(int width, int height, int flags) {
  SetGlfwWindow(width, height, 8, 8, 8, 0, 0, 0, (flags & 1) != 0);
}

int KxGlfwGame::GetDeviceWidth() {
  int width = 0, height = 0;
  Glfw().GetWindowSize(&width, &height);
  return width;
}

int KxGlfwGame::GetDeviceHeight() {
  int width = 0, height = 0;
  Glfw().GetWindowSize(&width, &height);
  return height;
}

Array<KxGlfwVideoMode*> KxGlfwGame::GetGlfwVideoModes() {
  std::vector<glfw2::VidMode> modes(kMaxModes);
  int count = Glfw().GetVideoModes(modes.data(), kMaxModes);
  Array<KxGlfwVideoMode*> result(count);
  for (int i = 0; i < count; i++) {
    KxGlfwVideoMode* mode = new KxGlfwVideoMode;
    mode->width = modes[i].Width;
    mode->height = modes[i].Height;
    mode->red = modes[i].RedBits;
    mode->green = modes[i].GreenBits;
    mode->blue = modes[i].BlueBits;
    gc_assign(result[i], mode);
  }
  return result;
}

KxGlfwVideoMode* KxGlfwGame::GetGlfwDesktopMode() {
  glfw2::VidMode desktop;
  Glfw().GetDesktopMode(&desktop);
  KxGlfwVideoMode* mode = new KxGlfwVideoMode;
  mode->width = desktop.Width;
  mode->height = desktop.Height;
  mode->red = desktop.RedBits;
  mode->green = desktop.GreenBits;
  mode->blue = desktop.BlueBits;
  return mode;
}

Array<KxDisplayMode*> KxGlfwGame::GetDisplayModes() {
  Array<KxGlfwVideoMode*> modes = GetGlfwVideoModes();
  Array<KxDisplayMode*> result(modes.Length());
  for (int i = 0; i < modes.Length(); i++) {
    KxDisplayMode* mode = new KxDisplayMode;
    mode->width = modes[i]->width;
    mode->height = modes[i]->height;
    gc_assign(result[i], mode);
  }
  return result;
}

KxDisplayMode* KxGlfwGame::GetDesktopMode() {
  KxGlfwVideoMode* desktop = GetGlfwDesktopMode();
  KxDisplayMode* mode = new KxDisplayMode;
  mode->width = desktop->width;
  mode->height = desktop->height;
  return mode;
}

void KxGlfwGame::SetSwapInterval(int interval) {
  swapInterval = interval;
  if (interval >= 0) Glfw().SwapInterval(interval);
}

void KxGlfwGame::SetMouseVisible(bool visible) {
  if (visible) {
    Glfw().Enable(glfw2::MOUSE_CURSOR);
  } else {
    Glfw().Disable(glfw2::MOUSE_CURSOR);
  }
}
