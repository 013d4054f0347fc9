// The host on a real X server: its title kept across a re-opening, extra gamepad mappings, keys
// typed into it, suspension when another window takes the focus, and the close button ending
// the program. (Where the window sits is checked on the scripted library.)
#include <gtest/gtest.h>

#include "host/glfw2.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

// Last: Xlib defines macros (None, Status, Bool) that clash with the headers above.
#include <X11/Xlib.h>

namespace {

using kxtest::ReadFile;

TEST(HostWindow, TakesPadMappingsAndKeysSuspendsAndClosesOnRequest) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not start";
  const kxtest::TempDir scratch("kxhostwin");
  const std::string dir = scratch.path, out = dir + "/out";
  // Extra gamepad mappings from the two usual places; GLFW takes every well-formed line (for
  // another platform too) and refuses the others, which are reported once. The file starts with
  // a byte-order mark, as some editors save it: read as a line, it would be refused.
  const char mappings[] =
      "\xEF\xBB\xBF# Players' own pads\r\n"
      "03000000ffff00001234000001000000,Test pad,a:b0,b:b1,dpup:h0.1,platform:Linux,\r\n"
      "\r\n"
      "03000000ffff00005678000001000000,Other,a:b1,platform:Windows,\n";
  ASSERT_TRUE(kxtest::WriteFile(dir + "/gamecontrollerdb.txt", mappings));
  std::string config =
      "SDL_GAMECONTROLLERCONFIG=05000000ffff00001234000001000000,Env pad,a:b0,leftx:a0,\n"
      "0300,a GUID too short\n"
      "not a mapping";
  kxtest::Child probe;
  ASSERT_TRUE(probe.Start({KX_HOST_WINDOW_PROBE}, {config}, out, "", dir));
  size_t from = 0;  // lines before this offset of the output are no longer looked at
  auto saw = [&](const std::string& line) {
    return kxtest::WaitFor(
        [&] { return ReadFile(out).find(line + "\n", from) != std::string::npos; });
  };
  ASSERT_TRUE(saw("start")) << ReadFile(out);
  // The window found after the re-opening is the full-screen one, titled still.
  auto xdotool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/xdotool");
    return xvfb.Tool(args);
  };
  std::string id = xdotool({"search", "--sync", "--name", "^Skarblit$"}).out;
  id = id.substr(0, id.find('\n'));
  EXPECT_EQ(ReadFile(out).substr(0, ReadFile(out).find("start")),
            "Gamepad mapping refused: SDL_GAMECONTROLLERCONFIG line 2 and 1 more\n");
  ASSERT_EQ(xdotool({"windowfocus", "--sync", id}).status, 0);
  ASSERT_EQ(xdotool({"key", "a", "Right", "Delete", "shift+apostrophe"}).status, 0);
  EXPECT_TRUE(saw("key 2 222")) << ReadFile(out);
  from = ReadFile(out).size();
  EXPECT_NE(ReadFile(out).find("key 1 65\nkey 3 97\nkey 2 65\n"
                               "key 1 39\nkey 3 65575\nkey 2 39\n"
                               "key 1 46\nkey 3 127\nkey 2 46\n"
                               "key 1 16\nkey 1 222\nkey 3 34\nkey 2 16\nkey 2 222\n"),
            std::string::npos) << ReadFile(out);

  Display* display = XOpenDisplay(xvfb.Display().c_str());
  ASSERT_NE(display, nullptr);
  Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
  XMapWindow(display, other);
  XSync(display, False);
  ASSERT_EQ(xdotool({"windowfocus", "--sync", std::to_string(other)}).status, 0);
  EXPECT_TRUE(saw("suspend")) << ReadFile(out);
  from = ReadFile(out).size();
  ASSERT_EQ(xdotool({"windowfocus", "--sync", id}).status, 0);
  EXPECT_TRUE(saw("resume")) << ReadFile(out);
  // What the window manager sends when the close button is pressed.
  EXPECT_EQ(xvfb.Tool({KX_BINARY_DIR "/kx_game_xtool", "close", id}).status, 0);
  EXPECT_EQ(probe.Wait(), 0) << ReadFile(out);
  EXPECT_TRUE(saw("key 1 432"));
  XCloseDisplay(display);
}

// 640x480 on screens of content scale 1, 1.5 and 2, and on screens too small for the full factor.
TEST(HostWindow, AWindowIsScaledByTheScreensWholeContentScaleWithinItsWorkArea) {
  const struct {
    float scale;
    int workWidth, workHeight, width, height;
  } rows[] = {{1, 1920, 1080, 640, 480},    {1.5f, 2880, 1620, 640, 480},
              {2, 3840, 2160, 1280, 960},   {2, 1366, 740, 640, 480},
              {3, 2560, 1400, 1280, 960},   {0.5f, 1280, 720, 640, 480}};
  for (const auto& row : rows) {
    int width = 640, height = 480;
    glfw2::ScaledSize(&width, &height, row.scale, row.workWidth, row.workHeight);
    EXPECT_EQ(std::vector<int>({width, height}), std::vector<int>({row.width, row.height}))
        << row.scale << " on " << row.workWidth << "x" << row.workHeight;
  }
}

TEST(HostWindow, NoDisplayMeansTheWindowingLibraryCannotStart) {
  kxtest::ProcessResult r = kxtest::RunProcess({KX_HOST_WINDOW_PROBE}, "", true,
                                              kxtest::kHangSeconds, {"DISPLAY="});
  EXPECT_EQ(r.out, "glfwInit failed\n");
  EXPECT_EQ(r.status, 255);
}

}  // namespace
