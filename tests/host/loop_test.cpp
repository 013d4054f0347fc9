// The host's loop and events on a scripted windowing library: catch-up and pacing, the
// guarded delegate calls with their collector steps, suspension, key/mouse/close translation,
// joysticks in the game's layout and their ports, the gamepad mapping file, and window
// re-opening; and the windowing layer's own translations from GLFW 3 and window scaling.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <GLFW/glfw3.h>

#include "host/gamepad.h"
#include "host/host.h"
#include "tests/host/fake_glfw.h"
#include "tests/support/process.h"

namespace {

using kxtest::FakeGlfw;
typedef std::vector<std::string> Log;
Log trail;  // every delegate call and collector step, in order

// Records every delegate call; hooks let a test act inside an update or a render.
class Recorder : public KxGameDelegate {
 public:
  std::function<void()> onUpdate = [] {}, onRender = [] {}, onKey = [] {};
  int updates = 0;

  void StartGame() override { Put("start"); }
  void SuspendGame() override { Put("suspend"); }
  void ResumeGame() override { Put("resume"); }
  void UpdateGame() override { updates++, Put("update"), onUpdate(); }
  void RenderGame() override { Put("render"), onRender(); }
  void KeyEvent(int e, int d) override { Put("key", {e, d}), onKey(); }
  void MouseEvent(int e, int d, float x, float y) override { Put("mouse", {e, d, int(x), int(y)}); }
  void TouchEvent(int e, int d, float, float) override { Put("touch", {e, d}); }
  void MotionEvent(int e, int, float, float, float) override { Put("motion", {e}); }
  void DiscardGraphics() override { Put("discard"); }

 private:
  void Put(std::string line, std::initializer_list<int> args = {}) {
    for (int a : args) line += " " + std::to_string(a);
    trail.push_back(line);
  }
};

// The host with its collector step logged instead of run.
class TestHost : public KxGlfwGame {
 public:
  void gc_collect() override { trail.push_back("gc"); }
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { Use(&host), trail.clear(); }
  void TearDown() override { KxGame::_game = KxGlfwGame::_glfwGame = nullptr; }
  void Use(TestHost* h) {
    h->SetDelegate(delegate);
    KxGame::_game = KxGlfwGame::_glfwGame = h;
  }
  // Runs the loop for `frames` rendered frames, each taking `frameCost` seconds, and returns
  // how many updates each frame ran.
  std::vector<int> RunFrames(int frames, double frameCost, int rate) {
    host.SetUpdateRate(rate);
    std::vector<int> perFrame;
    int seen = delegate->updates;
    fake.swaps = 0;
    delegate->onRender = [&] {
      if (fake.swaps > 0) perFrame.push_back(delegate->updates - seen);
      seen = delegate->updates;
      fake.time += frameCost;
    };
    fake.closeAfterSwaps = frames + 1;
    host.Run();
    return perFrame;
  }

  FakeGlfw fake;
  TestHost host;
  Recorder* delegate = new Recorder;
};

TEST_F(HostTest, CatchUpIsBoundedRateChangesRestartTheScheduleAndFastFramesSleep) {
  EXPECT_EQ(RunFrames(5, 0.001, 0), std::vector<int>(5, 1)) << "rate 0: once per frame";
  // 100 ms per frame: the first frame starts the schedule, the second owes six updates but
  // runs four and drops the rest, so the pattern repeats.
  EXPECT_EQ(RunFrames(6, 0.1, 60), (std::vector<int>{1, 4, 1, 4, 1, 4}));
  EXPECT_EQ(fake.sleeps, 0);
  int start = delegate->updates;
  delegate->onUpdate = [&] {
    if (delegate->updates == start + 3) host.SetUpdateRate(60);
  };
  EXPECT_EQ(RunFrames(4, 0.1, 60), (std::vector<int>{1, 2, 1, 4}));
  // Frames that cost nothing sleep until the next update is due: the recordings of
  // tests/replays, made on a library whose clock only sleeping moves, pin that beat.
}

TEST_F(HostTest, GuardedCallsRunOnlyInTheirStateAndStepTheCollectorAfterEach) {
  auto everything = [&] {
    host.SuspendGame(), host.SuspendGame(), host.UpdateGame(), host.RenderGame();
    host.KeyEvent(1, 65), host.MouseEvent(4, 2, 10, 20), host.TouchEvent(7, 1, 0, 0);
    host.MotionEvent(10, 0, 0, 0, 0), host.DiscardGraphics();
    host.ResumeGame(), host.ResumeGame(), host.UpdateGame();
  };
  everything();
  EXPECT_TRUE(trail.empty()) << "nothing reaches the delegate before the start";
  host.StartGame(), host.StartGame();
  everything();
  EXPECT_EQ(trail, (Log{"start", "gc", "suspend", "gc", "render", "gc", "key 1 65", "gc",
                      "mouse 4 2 10 20", "gc", "touch 7 1", "gc", "motion 10", "gc", "discard",
                      "gc", "resume", "gc", "update", "gc"}));
  // A key released from inside an update (a re-opened window does that) reaches the delegate,
  // but the collector waits until the update is over.
  trail.clear();
  delegate->onUpdate = [&] { host.KeyEvent(KxEventKeyUp, 65); };
  host.UpdateGame();
  EXPECT_EQ(trail, (Log{"update", "key 2 65", "gc"}));

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  delegate->onUpdate = [] { throw new Object; };
  EXPECT_EXIT(host.UpdateGame(), ::testing::ExitedWithCode(255), "") << "managed exception";
}

// In a render, and from a key released inside an update: the call that asked is the last the
// delegate sees. (A quit in an update ends every recording of tests/replays, which would hold
// one more render otherwise, and one from the close button during the event poll ends the
// program of the real-window test.)
TEST_F(HostTest, TheQuietExitEndsTheLoopWhereverItIsAskedFor) {
  for (bool nested : {false, true}) {
    TestHost quitter;
    Use(&quitter);
    trail.clear();
    delegate->onUpdate = [&] {
      if (nested) quitter.KeyEvent(KxEventKeyUp, 65);
    };
    delegate->onRender = [&] {
      if (!nested && delegate->updates > 0) kxError(String());
    };
    delegate->onKey = [] { kxError(String()); };
    fake.closeAfterSwaps = fake.swaps + 20;  // a loop the quit did not end stops here
    quitter.Run();
    EXPECT_TRUE(quitter.Quitting() && fake.closeAfterSwaps > fake.swaps) << nested;
    EXPECT_EQ(trail.back(), nested ? "key 2 65" : "render");
  }
}

TEST_F(HostTest, LosingActivitySuspendsAndRegainingItResumesAtOnce) {
  int frame = 0;
  fake.onEvents = [&] {
    fake.active = ++frame < 3 || frame > 5;
    trail.push_back("events");
  };
  RunFrames(7, 0.001, 60);
  // Frames 3 to 5 render but do not update; the first update after resuming runs in the same
  // frame that noticed the window is active again.
  Log suspended = {"events", "suspend", "gc", "render", "gc", "events", "render", "gc",
                   "events", "render", "gc", "events", "resume", "gc", "update", "gc"};
  EXPECT_NE(std::search(trail.begin(), trail.end(), suspended.begin(), suspended.end()),
            trail.end());
  EXPECT_EQ(std::count(trail.begin(), trail.end(), "suspend"), 1);
  EXPECT_EQ(std::count(trail.begin(), trail.end(), "resume"), 1);
  EXPECT_EQ(fake.waits, 3) << "while suspended the loop blocks for events instead of polling";
}

TEST_F(HostTest, KeysMouseAndCloseBecomeHostEvents) {
  // Typed keys are translated under the real X server; here, codes outside every range
  // ("a", F13, the keypad's "=", the menu key, none).
  for (int key : {97, 270, 317, 325, -1}) EXPECT_EQ(KxGlfwGame::TransKey(key), 0) << key;
  EXPECT_EQ(KxGlfwGame::KeyToChar(65), 0);
  host.SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  host.StartGame();
  trail.clear();
  fake.mouseX = 12, fake.mouseY = 34;
  // The last of each translated range, a typed and an untyped character, three buttons.
  for (int key : {glfw2::KEY_F1 + 11, glfw2::KEY_KP_0 + 9, glfw2::KEY_LALT}) fake.keyFun(key, 1);
  fake.charFun('a', glfw2::kPress), fake.charFun('b', glfw2::kRelease);
  for (int button : {0, 3, -2}) fake.mouseButtonFun(std::abs(button), button >= 0);
  fake.mousePosFun(5, 6);
  EXPECT_EQ(fake.closeFun(), 0);
  EXPECT_EQ(trail, (Log{"key 1 123", "gc", "key 1 105", "gc", "key 3 97", "gc",
                      "mouse 4 0 12 34", "gc", "mouse 5 2 12 34", "gc", "mouse 6 -1 5 6", "gc",
                      "key 1 432", "gc", "key 2 432", "gc"}));
}

TEST_F(HostTest, WindowOpensCentredWithTitleAndReopeningReleasesHeldKeys) {
  fake.desktop = {1281, 1025, 8, 8, 8, 144};
  int seq = glfwGraphicsSeq;
  host.SetSwapInterval(-1);
  fake.closeAfterSwaps = 1;
  host.Run();
  EXPECT_EQ((std::vector<int>{fake.mode, fake.width, fake.height, fake.posX, fake.posY,
                              fake.refreshHint, fake.keyRepeat}),
            (std::vector<int>{glfw2::WINDOW, 640, 480, 320, 272, 60, 1}));
  EXPECT_EQ(fake.title, "Skarblit");
  EXPECT_EQ(fake.calls, (Log{"close", "open"}));
  // The old window's release events would never arrive, so the host sends them.
  fake.keysDown = {glfw2::KEY_LSHIFT, 'Q', glfw2::KEY_LALT};
  fake.calls.clear();
  fake.title = "kept";
  trail.clear();
  host.SetSwapInterval(1);
  host.SetDeviceWindow(800, 600, 1);
  EXPECT_EQ(trail, (Log{"key 2 81", "gc", "key 2 16", "gc"}));
  EXPECT_EQ(fake.calls, (Log{"swapinterval", "close", "open", "swapinterval"}));
  EXPECT_EQ(fake.mode + fake.refreshHint, glfw2::FULLSCREEN + 60);
  EXPECT_EQ(fake.title, "kept");
  host.SetDeviceWindow(1281, 1025, 1);
  EXPECT_EQ(fake.refreshHint, 144) << "full screen at the desktop's size keeps its rate";
  host.SetDeviceWindow(640, 480, 2);
  EXPECT_EQ(fake.mode, glfw2::WINDOW);
  EXPECT_EQ(fake.title, "Skarblit");
  EXPECT_EQ(glfwGraphicsSeq - seq, fake.opens) << "every opening tells graphics to re-create";
}

// The buttons a port holds and its six stick readings, as the game reads them; no readings
// when the port has no pad.
std::pair<std::vector<int>, std::vector<float>> Poll(KxGlfwGame& host, int port) {
  Array<float> x{2}, y{2}, z{2};
  Array<bool> buttons{32};
  if (!host.PollJoystick(port, x, y, z, buttons)) return {};
  std::vector<int> pressed;
  for (int i = 0; i < 32; i++) {
    if (buttons[i]) pressed.push_back(i);
  }
  return {pressed, {x[0], y[0], z[0], x[1], y[1], z[1]}};
}

// Pads whose layout the library knows read through its mapping, whatever their raw buttons
// and hats; other joysticks are rearranged by their button and axis counts. Each pad is a new
// one in the port of the one before, unless it is the same again, and holds none of the
// buttons its predecessor held there.
TEST_F(HostTest, JoysticksReadInTheGameLayout) {
  using namespace glfw2;
  // The raw reading (button count, axes, buttons down), then the mapped one (buttons down,
  // and axes when the library knows the pad's layout).
  struct Pad {
    const char* name;
    int buttons;
    std::vector<float> axes;
    std::vector<int> down, padDown;
    std::vector<float> padAxes;
    std::vector<int> pressed;  // the game's
    std::vector<float> sticks;
    bool again = false;  // the pad of the row before, still connected
  };
  const float a = .1f, b = .2f, c = .3f, d = .4f, e = .5f;
  const std::vector<float> still(6);
  const Pad pads[] = {
      // The last four physical buttons move to 8..11, physical 8 and 9 to 12 and 13, and the
      // right stick comes from axes four and three.
      {"14 buttons", 14, {a, b, c, d, e}, {7, 8, 9, 10, 13}, {}, {}, {7, 8, 11, 12, 13},
       {a, b, c, e, -d, 0}},
      {"16 buttons", 16, {0, 0}, {9, 10, 13}, {}, {}, {9, 13, 14}, still},
      {"18 buttons", 18, {a, b, c, d}, {17, 13}, {}, {}, {11, 17}, {a, b, c, d, -c, 0}},
      {"10 buttons", 10, {a, b, c, d, e, .6f, .7f}, {0, 9}, {}, {}, {0, 9}, {a, b, c, d, e, .6f}},
      // Its d-pad is a hat, its guide button the ninth: raw, the d-pad would do nothing and
      // guide would steer left. Sticks up-positive, triggers from 0 at rest.
      {"Xbox-style", 11, {0, 0, -1, 0, 0, -1, 0, 1}, {7, 8}, {GAMEPAD_DPAD_UP, GAMEPAD_GUIDE,
       GAMEPAD_START}, {e, -1, 0, .25f, -1, 1}, {7, 9, 14}, {e, 1, 0, 0, -.25f, 1}},
      // Triggers that have moved are bound: at 0 they are half pressed.
      {"Xbox-style, triggers half-way", 11, {}, {}, {}, still, {}, {0, 0, e, 0, 0, e}, true},
      // Its mapping binds no triggers, which GLFW reads as 0 for good: they are never pressed.
      {"SNES-style", 12, {}, {}, {GAMEPAD_B}, still, {1}, still},
      // Its triggers are buttons six and seven as well: raw, half a trigger would pause.
      {"PlayStation-style", 13, {0, 0, 0, -1, 0, 0}, {0, 6, 9}, {GAMEPAD_A, GAMEPAD_START,
       GAMEPAD_DPAD_LEFT, GAMEPAD_LEFT_THUMB}, {0, 0, -1, 0, e, -1}, {0, 7, 8, 12},
       {0, 0, .75f, -1, 0, 0}},
  };
  for (const Pad& pad : pads) {
    FakeGlfw::Joystick& j = fake.joysticks[0];
    if (!pad.again) fake.Replug(0);
    j.axes = pad.axes;
    j.buttons.assign(pad.buttons, kRelease);
    for (int i : pad.down) j.buttons[i] = kPress;
    j.mapped = !pad.padAxes.empty();
    j.pad = {};
    for (int i : pad.padDown) j.pad.buttons[i] = kPress;
    std::copy(pad.padAxes.begin(), pad.padAxes.end(), j.pad.axes);
    EXPECT_EQ(Poll(host, 0), std::make_pair(pad.pressed, pad.sticks)) << pad.name;
  }
  EXPECT_TRUE(Poll(host, 1).second.empty());
}

// GLFW gives a new pad the lowest free slot and tells when pads come and go; ports go by the
// order it told, so when one goes the others move up and the first port, which steers, always
// has a pad, and a pad plugged into the slot another has just left comes last.
TEST_F(HostTest, PortsFollowTheOrderThePadsWereConnectedIn) {
  const struct {
    int slot;
    std::string change;  // "in", "out", or "swap": out, and another pad in, between two polls
    std::vector<float> ports;  // the slot behind each port
  } steps[] = {{5, "in", {5}}, {0, "in", {5, 0}}, {5, "out", {0}}, {5, "in", {0, 5}},
               {3, "in", {0, 5, 3}}, {0, "swap", {5, 3, 0}}, {0, "out", {5, 3}}};
  for (const auto& step : steps) {
    fake.joysticks[step.slot].present = step.change != "out";
    if (step.change == "swap") fake.Replug(step.slot);
    fake.joysticks[step.slot].axes = {static_cast<float>(step.slot)};
    std::vector<float> ports;
    for (auto pad = Poll(host, 0); !pad.second.empty(); pad = Poll(host, int(ports.size()))) {
      ports.push_back(pad.second[0]);
    }
    EXPECT_EQ(ports, step.ports) << "slot " << step.slot;
  }
}

// The mapping file (past a byte-order mark, as some editors save it, with Windows line ends,
// comments and blank lines) and the environment's lines go to the library one at a time; what
// it refuses, and a file that is there but cannot be read (a folder, or a link to itself), is
// reported in one line for each source; none is nothing to report.
TEST_F(HostTest, MappingsGoToTheLibraryLineByLineAndWhatItRefusesIsReported) {
  const std::string refused = "Gamepad mapping refused: ", unreadable = refused +
      "gamecontrollerdb.txt cannot be read: ", good = "03000000ffff00001234000001000000,Pad,a:b0";
  const struct {
    std::string file, env, said;
    Log taken;
  } rows[] = {
      {"none", "", "", {}},
      {"folder", "", unreadable + "Is a directory\n", {}},
      {"loop", "", unreadable + "Too many levels of symbolic links\n", {}},
      {"\xEF\xBB\xBF# Players' pads\r\n" + good + ",\r\n\r\n" + good + "2,\n",
       good + "3\n0300,short\nnot a mapping", refused + "SDL_GAMECONTROLLERCONFIG line 2 and 1 more\n",
       {good + ",", good + "2,", good + "3"}},
  };
  const char name[] = "gamecontrollerdb.txt";
  for (const auto& row : rows) {
    const kxtest::TempDir scratch("kxpadmaps");
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    EXPECT_TRUE(row.file == "folder" ? mkdir(name, 0700) == 0
                : row.file == "loop" ? symlink(name, name) == 0
                                     : row.file == "none" || kxtest::WriteFile(name, row.file));
    setenv("SDL_GAMECONTROLLERCONFIG", row.env.c_str(), 1);
    fake.mappings.clear();
    testing::internal::CaptureStdout();
    kx_gamepad_AddMappings();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.said) << row.file;
    EXPECT_EQ(fake.mappings, row.taken) << row.file;
    ASSERT_EQ(chdir(KX_SOURCE_DIR), 0);
  }
  unsetenv("SDL_GAMECONTROLLERCONFIG");
}

// The windowing layer's own translations from GLFW 3 to the older library's conventions.
TEST(Glfw2Layer, TranslatesKeysActionsAxesAndCloseRequests) {
  using namespace glfw2;
  const int keys[][2] = {{GLFW_KEY_A, 'A'}, {GLFW_KEY_SPACE, ' '}, {GLFW_KEY_GRAVE_ACCENT, '`'},
                         {GLFW_KEY_ESCAPE, KEY_ESC}, {GLFW_KEY_F25, KEY_F25},
                         {GLFW_KEY_KP_9, KEY_KP_0 + 9}, {GLFW_KEY_MENU, KEY_MENU},
                         {GLFW_KEY_WORLD_1, -1}, {GLFW_KEY_PRINT_SCREEN, -1},
                         {GLFW_KEY_UNKNOWN, -1}};
  for (const auto& k : keys) EXPECT_EQ(KeyFrom3(k[0]), k[1]) << k[0];
  // Action, repeat on, result: a repeat is a press, or nothing when repeat is off.
  const int actions[][3] = {{GLFW_PRESS, 0, kPress}, {GLFW_RELEASE, 1, kRelease},
                            {GLFW_REPEAT, 1, kPress}, {GLFW_REPEAT, 0, -1}};
  for (const auto& a : actions) EXPECT_EQ(ActionFrom3(a[0], a[1]), a[2]) << a[0] << a[1];
  // Hats follow the axes as two more; every odd axis is negated, so up reads positive.
  const float axes[] = {0.5f, 0.25f};
  const unsigned char hats[] = {GLFW_HAT_RIGHT_UP, GLFW_HAT_LEFT_DOWN};
  EXPECT_EQ(AxesFrom3(axes, 2, hats, 2), (std::vector<float>{0.5f, -0.25f, 1, 1, -1, -1}));
  EXPECT_EQ(AxesFrom3(nullptr, 0, hats, 1), (std::vector<float>{1, 1}));
  // The close callback's 0 keeps the window.
  EXPECT_TRUE(!CloseAgreed([] { return 0; }) && CloseAgreed([] { return 1; }) &&
              CloseAgreed(nullptr));
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

}  // namespace
