// kx_game_xtool, the X client of the whole-program tests:
//   kx_game_xtool shot <out.png>   writes the whole screen as an RGB picture;
//   kx_game_xtool steal            maps a window of its own, takes the input focus, prints
//                                  "focused" and keeps the window until it is terminated;
//   kx_game_xtool close <window>   asks a window to close, as its close button does.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stb/stb_image_write.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <vector>

static int Shot(Display* display, const char* path) {
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  int w = attributes.width;
  int h = attributes.height;
  XImage* image = XGetImage(display, root, 0, 0, w, h, AllPlanes, ZPixmap);
  if (!image) return 1;
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
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
  return stbi_write_png(path, w, h, 3, rgb.data(), w * 3) ? 0 : 1;
}

static int Steal(Display* display) {
  Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
  XSelectInput(display, window, StructureNotifyMask);
  XMapRaised(display, window);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  printf("focused\n");
  fflush(stdout);
  for (;;) pause();
}

static int Close(Display* display, Window window) {
  XEvent event;
  memset(&event, 0, sizeof(event));
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

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  int status = 2;
  if (argc == 3 && strcmp(argv[1], "shot") == 0) status = Shot(display, argv[2]);
  if (argc == 2 && strcmp(argv[1], "steal") == 0) status = Steal(display);
  if (argc == 3 && strcmp(argv[1], "close") == 0) {
    status = Close(display, static_cast<Window>(strtoul(argv[2], nullptr, 10)));
  }
  XCloseDisplay(display);
  return status;
}
