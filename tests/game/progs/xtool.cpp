// kx_game_xtool, the X client of the whole-program tests:
//   kx_game_xtool shot <out.png>   writes the whole screen as an RGB picture;
//   kx_game_xtool close <window>   asks a window to close, as its close button does;
//   kx_game_xtool focus-next       prints "ready", then gives the next window that appears the
//                                  input focus the moment it is mapped, as a window manager
//                                  would, and exits;
//   kx_game_xtool grab <out.ppm> <x> <y> <w> <h>
//                                  writes a rectangle of the screen as a binary PPM, fast
//                                  enough to poll for a screen that shows only briefly;
//   kx_game_xtool norepeat         turns the server's key repeat off, so a key held until its
//                                  effect shows is one press however long that takes;
//   kx_game_xtool menu <x> <y>     succeeds when the game's window, its corner at (x, y) on the
//                                  screen, shows the menu at rest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stb/stb_image_write.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

// The RGB pixels of a rectangle of the screen; false when it is not on the screen.
static bool ReadScreen(Display* display, int x0, int y0, int w, int h,
                       std::vector<unsigned char>& rgb) {
  XImage* image =
      XGetImage(display, DefaultRootWindow(display), x0, y0, w, h, AllPlanes, ZPixmap);
  if (!image) return false;
  rgb.resize(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      unsigned long p = XGetPixel(image, x, y);
      unsigned char* out = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      out[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
      out[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
      out[2] = static_cast<unsigned char>(p & image->blue_mask);
    }
  }
  XDestroyImage(image);
  return true;
}

static int Shot(Display* display, const char* path) {
  XWindowAttributes a;
  XGetWindowAttributes(display, DefaultRootWindow(display), &a);
  std::vector<unsigned char> rgb;
  if (!ReadScreen(display, 0, 0, a.width, a.height, rgb)) return 1;
  return stbi_write_png(path, a.width, a.height, 3, rgb.data(), a.width * 3) ? 0 : 1;
}

// Written beside the target and renamed, so a reader never sees half a picture.
static int Grab(Display* display, const char* path, int x, int y, int w, int h) {
  std::vector<unsigned char> rgb;
  if (w <= 0 || h <= 0 || !ReadScreen(display, x, y, w, h, rgb)) return 1;
  std::string part = std::string(path) + ".part";
  FILE* file = fopen(part.c_str(), "wb");
  if (!file) return 1;
  fprintf(file, "P6\n%d %d\n255\n", w, h);
  bool ok = fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
  ok = fclose(file) == 0 && ok;
  return ok && rename(part.c_str(), path) == 0 ? 0 : 1;
}

// The menu at rest with the dial focused: the play button at the lower right glows green.
static int MenuShown(Display* display, int x, int y) {
  std::vector<unsigned char> rgb;
  if (!ReadScreen(display, x + 550, y + 417, 30, 30, rgb)) return 1;
  int green = 0;
  for (size_t i = 0; i < rgb.size(); i += 3)
    green += rgb[i + 1] > rgb[i] + 40 && rgb[i + 1] > rgb[i + 2] + 40;
  return green > 600 ? 0 : 1;
}

static int Close(Display* display, Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

static int FocusNext(Display* display) {
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  printf("ready\n");
  fflush(stdout);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type != MapNotify || event.xmap.override_redirect) continue;
    XSetInputFocus(display, event.xmap.window, RevertToParent, CurrentTime);
    XSync(display, False);
    return 0;
  }
}

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  int status = 2;
  const std::string command = argc > 1 ? argv[1] : "";
  if (argc == 3 && command == "shot") status = Shot(display, argv[2]);
  if (argc == 2 && command == "focus-next") status = FocusNext(display);
  if (argc == 3 && command == "close") status = Close(display, strtoul(argv[2], nullptr, 10));
  if (argc == 2 && command == "norepeat") status = (XAutoRepeatOff(display), XSync(display, False), 0);
  if (argc == 4 && command == "menu") status = MenuShown(display, atoi(argv[2]), atoi(argv[3]));
  if (argc == 7 && command == "grab")
    status = Grab(display, argv[2], atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
  XCloseDisplay(display);
  return status;
}
