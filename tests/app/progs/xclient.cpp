// A tiny X client for the window tests, doing what xdotool cannot:
//   kx_xclient close <window>  asks the window to close, as its close button does
//                              (a WM_DELETE_WINDOW client message);
//   kx_xclient steal           maps a window of its own, gives it the input focus, prints
//                              "focused" and keeps the window until it is terminated.
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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

static int Steal(Display* display) {
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
  XSelectInput(display, window, StructureNotifyMask);
  XMapRaised(display, window);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != MapNotify);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  puts("focused");
  fflush(stdout);
  for (;;) pause();
}

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  int result = 2;
  if (argc == 3 && strcmp(argv[1], "close") == 0) {
    result = Close(display, static_cast<Window>(strtoul(argv[2], nullptr, 0)));
  } else if (argc == 2 && strcmp(argv[1], "steal") == 0) {
    result = Steal(display);
  }
  XCloseDisplay(display);
  return result;
}
