// The host on a real X server: the first window's place, size and title, keys typed into it,
// suspension when another window takes the focus, and the close button ending the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

// Last: Xlib defines macros (None, Status, Bool) that clash with the headers above.
#include <X11/Xlib.h>

namespace {

using kxtest::ReadFile;

// Waits up to `seconds` for `pred`.
template <class Pred>
bool WaitFor(Pred pred, double seconds = 10) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return pred();
}

// The number after `label` in xwininfo's report.
int InfoField(const std::string& info, const std::string& label) {
  size_t at = info.find(label);
  return at == std::string::npos ? -1 : atoi(info.c_str() + at + label.size());
}

// What the window manager sends when the close button is pressed.
void SendCloseRequest(Display* display, Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

TEST(HostWindow, OpensCentredTakesKeysSuspendsAndClosesOnRequest) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not start";
  std::string out = kxtest::MakeTempDir("kxhostwin") + "/out";
  kxtest::Child probe;
  ASSERT_TRUE(probe.Start({KX_HOST_WINDOW_PROBE}, {"DISPLAY=" + xvfb.Display()}, out));
  size_t from = 0;  // lines before this offset of the output are no longer looked at
  auto saw = [&](const std::string& line) {
    return ReadFile(out).find(line + "\n", from) != std::string::npos;
  };

  std::string id;
  ASSERT_TRUE(WaitFor([&] {
    id = xvfb.Tool({"/usr/bin/xdotool", "search", "--name", "^Skarblit$"}).out;
    return !id.empty() && saw("start");
  })) << ReadFile(out);
  id = id.substr(0, id.find('\n'));

  std::string info = xvfb.Tool({"/usr/bin/xwininfo", "-id", id}).out;
  EXPECT_EQ(InfoField(info, "Absolute upper-left X:"), 320) << info;
  EXPECT_EQ(InfoField(info, "Absolute upper-left Y:"), 272) << info;
  EXPECT_EQ(InfoField(info, "Width:"), 640) << info;
  EXPECT_EQ(InfoField(info, "Height:"), 480) << info;

  ASSERT_EQ(xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", id}).status, 0);
  ASSERT_EQ(xvfb.Tool({"/usr/bin/xdotool", "key", "a", "Right", "Delete", "shift+apostrophe"}).status, 0);
  EXPECT_TRUE(WaitFor([&] { return saw("key 2 222"); })) << ReadFile(out);
  std::string keys = ReadFile(out);
  from = keys.size();
  size_t first = keys.find("key 1 65");
  ASSERT_NE(first, std::string::npos);
  keys = keys.substr(first, keys.find("key 2 222\n") + 10 - first);
  EXPECT_EQ(keys,
            "key 1 65\nkey 3 97\nkey 2 65\n"
            "key 1 39\nkey 3 65575\nkey 2 39\n"
            "key 1 46\nkey 3 127\nkey 2 46\n"
            "key 1 16\nkey 1 222\nkey 3 34\nkey 2 16\nkey 2 222\n");

  Display* display = XOpenDisplay(xvfb.Display().c_str());
  ASSERT_NE(display, nullptr);
  Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
  XMapWindow(display, other);
  XSync(display, False);
  ASSERT_EQ(xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", std::to_string(other)}).status, 0);
  EXPECT_TRUE(WaitFor([&] { return saw("suspend"); })) << ReadFile(out);
  from = ReadFile(out).size();
  ASSERT_EQ(xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", id}).status, 0);
  EXPECT_TRUE(WaitFor([&] { return saw("resume"); })) << ReadFile(out);

  SendCloseRequest(display, static_cast<Window>(std::stoul(id)));
  EXPECT_EQ(probe.Wait(10), 0) << ReadFile(out);
  EXPECT_TRUE(saw("key 1 432"));
  XCloseDisplay(display);
}

TEST(HostWindow, NoDisplayMeansTheWindowingLibraryCannotStart) {
  kxtest::ProcessResult r = kxtest::RunProcess({KX_HOST_WINDOW_PROBE}, "", true, 10, {"DISPLAY="});
  EXPECT_EQ(r.out, "glfwInit failed\n");
  EXPECT_EQ(r.status, 255);
}

}  // namespace
