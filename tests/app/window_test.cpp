// The program in a real window on a private X display: the window, the running loop, suspension
// while another window has the focus, and the close button. (The loop's rate is checked on the
// host's scripted clock: a busy machine's real one lets fewer updates through.)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

// Last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

using kxtest::WaitFor;

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not come up";
    display = XOpenDisplay(xvfb.Display().c_str());
    ASSERT_NE(display, nullptr);
    // A request about a window that has gone must fail the test, not end the process
    // before it can clean up, as Xlib's own handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // The program runs in a folder of its own that sees the real data, so that the state it
    // stores never touches the developer's.
    dir = kxtest::MakeTempDir("kx_window");
    std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data", dir + "/data");
  }
  void TearDown() override {
    app.reset();
    if (display) XCloseDisplay(display);
    std::filesystem::remove_all(dir);
  }

  // Starts a program and waits for its window, picked by process as well as by title.
  void Launch(const std::string& program) {
    out = dir + "/" + program + ".out";
    app = std::make_unique<kxtest::Child>();
    ASSERT_TRUE(app->Start({std::string(KX_BINARY_DIR) + "/" + program},
                           {"DISPLAY=" + xvfb.Display()}, out, "", dir));
    ASSERT_TRUE(WaitFor(
        [&] {
          window = xvfb.Tool({"/usr/bin/xdotool", "search", "--all", "--pid",
                              std::to_string(app->Pid()), "--name", "^Skarblit$"})
                       .out;
          return !window.empty();
        },
        30));
    window = window.substr(0, window.find('\n'));
  }

  // The close button's request, as a window manager sends it, ends the program with status 0.
  void CloseAndExpectStatus0() {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
    EXPECT_EQ(app->Wait(10), 0) << Output();
  }

  std::string Output() { return kxtest::ReadFile(out); }

  // The per-second counts the probe application prints as "updates N".
  std::vector<int> UpdateCounts() {
    std::vector<int> counts;
    std::istringstream in(Output());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("updates ", 0) == 0) counts.push_back(std::stoi(line.substr(8)));
    }
    return counts;
  }

  kxtest::Xvfb xvfb;
  Display* display = nullptr;
  std::unique_ptr<kxtest::Child> app;
  std::string dir;
  std::string out;
  std::string window;
};

// One display for the whole story, so that no other program of this test takes the focus.
// The probe application prints the updates of each second and its suspensions; the game's own
// window is checked after it.
TEST_F(WindowTest, LoopRunsSuspendsWithoutFocusAndTheGameWindowIsCentred) {
  Launch("kx_app_probe");
  ASSERT_TRUE(WaitFor([&] { return !UpdateCounts().empty(); }, 30)) << Output();

  Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 99, 99, 0, 0, 0);
  XMapWindow(display, other);
  XSync(display, False);
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", std::to_string(other)});
  ASSERT_TRUE(WaitFor([&] { return Output().find("suspend\n") != std::string::npos; }, 30));
  size_t seconds = UpdateCounts().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(UpdateCounts().size(), seconds) << "updates ran while suspended";

  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});
  EXPECT_TRUE(WaitFor([&] { return UpdateCounts().size() > seconds; }, 30)) << Output();
  EXPECT_NE(Output().find("suspend\nresume\n"), std::string::npos);
  CloseAndExpectStatus0();

  Launch("skarblit");
  std::string info = xvfb.Tool({"/usr/bin/xwininfo", "-id", window}).out;
  for (const char* wanted : {"Absolute upper-left X:  320", "Absolute upper-left Y:  272",
                             "Width: 640", "Height: 480", "\"Skarblit\""}) {
    EXPECT_NE(info.find(wanted), std::string::npos) << wanted << " in\n" << info;
  }
  CloseAndExpectStatus0();
}

}  // namespace
