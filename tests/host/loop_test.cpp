// The host's loop and events on a scripted windowing library: catch-up and pacing, the
// guarded delegate calls with their collector steps, suspension, key/mouse/close translation,
// joystick remapping and window re-opening.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "tests/host/fake_glfw.h"

namespace {

using kxtest::FakeGlfw;
typedef std::vector<std::string> Log;

// Records every delegate call; hooks let a test act inside an update or a render.
class Recorder : public KxGameDelegate {
 public:
  Log* log = nullptr;
  std::function<void()> onUpdate, onRender;
  int updates = 0;

  void StartGame() override { Put("start"); }
  void SuspendGame() override { Put("suspend"); }
  void ResumeGame() override { Put("resume"); }
  void UpdateGame() override {
    updates++;
    Put("update");
    if (onUpdate) onUpdate();
  }
  void RenderGame() override {
    Put("render");
    if (onRender) onRender();
  }
  void KeyEvent(int e, int d) override { Put("key", {e, d}); }
  void MouseEvent(int e, int d, float x, float y) override { Put("mouse", {e, d, int(x), int(y)}); }
  void TouchEvent(int e, int d, float, float) override { Put("touch", {e, d}); }
  void MotionEvent(int e, int, float, float, float) override { Put("motion", {e}); }
  void DiscardGraphics() override { Put("discard"); }

 private:
  void Put(std::string line, std::initializer_list<int> args = {}) {
    for (int a : args) line += " " + std::to_string(a);
    log->push_back(line);
  }
};

// The host with its collector step logged instead of run.
class TestHost : public KxGlfwGame {
 public:
  Log* log = nullptr;
  void gc_collect() override { log->push_back("gc"); }
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.log = &log;
    delegate = new Recorder;
    delegate->log = &log;
    host.SetDelegate(delegate);
    KxGame::_game = &host;
    KxGlfwGame::_glfwGame = &host;
  }
  void TearDown() override {
    KxGame::_game = nullptr;
    KxGlfwGame::_glfwGame = nullptr;
  }
  // Runs the loop for `frames` rendered frames, each taking `frameCost` seconds, and returns
  // how many updates each frame ran.
  std::vector<int> RunFrames(int frames, double frameCost) {
    std::vector<int> perFrame;
    int seen = 0;
    delegate->onRender = [&] {
      if (fake.swaps > 0) perFrame.push_back(delegate->updates - seen);
      seen = delegate->updates;
      fake.time += frameCost;
    };
    fake.closeAfterSwaps = frames + 1;
    host.Run();
    return perFrame;
  }
  int Count(const std::string& entry) const { return std::count(log.begin(), log.end(), entry); }

  FakeGlfw fake;
  TestHost host;
  Recorder* delegate = nullptr;
  Log log;
};

TEST_F(HostTest, RateZeroUpdatesOncePerFrameWithoutSleeping) {
  EXPECT_EQ(RunFrames(5, 0.001), std::vector<int>(5, 1));
  EXPECT_EQ(fake.sleeps, 0);
}

TEST_F(HostTest, SlowFramesRunAtMostFourUpdatesThenRestartTheSchedule) {
  host.SetUpdateRate(60);
  // 100 ms per frame: the first frame starts the schedule, the second owes six updates but
  // runs four and drops the rest, so the pattern repeats.
  EXPECT_EQ(RunFrames(6, 0.1), (std::vector<int>{1, 4, 1, 4, 1, 4}));
  EXPECT_EQ(fake.sleeps, 0);
}

TEST_F(HostTest, FastFramesSleepUntilTheNextUpdateIsDue) {
  host.SetUpdateRate(60);
  std::vector<double> times;
  delegate->onUpdate = [&] { times.push_back(fake.time); };
  delegate->onRender = [&] {
    if (fake.time >= 2.0) fake.opened = false;
  };
  host.Run();
  ASSERT_GT(times.size(), 60u);
  EXPECT_LT(times[59], 1.99);
  EXPECT_GT(times[60], 1.99);
  for (size_t i = 1; i < times.size(); i++) EXPECT_NEAR(times[i] - times[i - 1], 1.0 / 60, 1e-9);
}

TEST_F(HostTest, RateChangeInsideAnUpdateEndsThatFramesCatchUp) {
  host.SetUpdateRate(60);
  delegate->onUpdate = [&] {
    if (delegate->updates == 3) host.SetUpdateRate(60);
  };
  EXPECT_EQ(RunFrames(4, 0.1), (std::vector<int>{1, 2, 1, 4}));
}

TEST_F(HostTest, GuardedCallsRunOnlyInTheirStateAndStepTheCollectorAfterEach) {
  // Nothing reaches the delegate, and the collector does not step, before the start.
  host.UpdateGame();
  host.RenderGame();
  host.KeyEvent(1, 65);
  host.MouseEvent(6, -1, 1, 2);
  host.SuspendGame();
  host.ResumeGame();
  host.DiscardGraphics();
  EXPECT_TRUE(log.empty());

  host.StartGame();
  host.StartGame();
  host.SuspendGame();
  host.SuspendGame();
  host.UpdateGame();
  host.RenderGame();
  host.KeyEvent(1, 65);
  host.MouseEvent(4, 2, 10, 20);
  host.TouchEvent(7, 1, 0, 0);
  host.MotionEvent(10, 0, 0, 0, 0);
  host.DiscardGraphics();
  host.ResumeGame();
  host.ResumeGame();
  host.UpdateGame();
  EXPECT_EQ(log, (Log{"start", "gc", "suspend", "gc", "render", "gc", "key 1 65", "gc",
                      "mouse 4 2 10 20", "gc", "touch 7 1", "gc", "motion 10", "gc", "discard",
                      "gc", "resume", "gc", "update", "gc"}));
  EXPECT_TRUE(host.Started());
  EXPECT_FALSE(host.Suspended());
}

TEST_F(HostTest, ManagedExceptionEscapingTheDelegateIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  host.StartGame();
  delegate->onUpdate = [] { throw new Object; };
  EXPECT_EXIT(host.UpdateGame(), ::testing::ExitedWithCode(255), "");
}

TEST_F(HostTest, LosingActivitySuspendsAndRegainingItResumesAtOnce) {
  host.SetUpdateRate(60);
  int frame = 0;
  fake.onEvents = [&] {
    frame++;
    fake.active = frame < 3 || frame > 5;
    log.push_back("events");
  };
  RunFrames(7, 0.001);
  // Frames 3 to 5 render but do not update; the first update after resuming runs in the same
  // frame that noticed the window is active again.
  Log expectedSuspended = {"events", "suspend", "gc", "render", "gc", "events", "render", "gc",
                           "events", "render", "gc", "events", "resume", "gc", "update", "gc"};
  auto at = std::search(log.begin(), log.end(), expectedSuspended.begin(), expectedSuspended.end());
  EXPECT_NE(at, log.end());
  EXPECT_EQ(Count("suspend"), 1);
  EXPECT_EQ(Count("resume"), 1);
  // While suspended the loop blocks for events instead of polling.
  EXPECT_EQ(fake.waits, 3);
}

TEST(HostKeys, TranslationTable) {
  const int pairs[][2] = {
      {'A', 65},  {'Z', 90},  {'0', 48},  {'9', 57},  {32, 32},   {39, 222},  {34, 222},
      {96, 192},  {126, 192}, {44, 188},  {45, 189},  {46, 190},  {47, 191},  {59, 186},
      {61, 187},  {91, 219},  {92, 220},  {93, 221},  {257, 27},  {258, 112}, {269, 123},
      {270, 0},   {283, 38},  {284, 40},  {285, 37},  {286, 39},  {287, 16},  {288, 16},
      {289, 17},  {290, 17},  {291, 0},   {293, 9},   {294, 13},  {295, 8},   {296, 45},
      {297, 46},  {298, 33},  {299, 34},  {300, 36},  {301, 35},  {302, 96},  {311, 105},
      {312, 111}, {313, 106}, {314, 109}, {315, 107}, {316, 110}, {317, 0},   {325, 0},
      {'a', 0},   {-1, 0}};
  for (const auto& p : pairs) EXPECT_EQ(KxGlfwGame::TransKey(p[0]), p[1]) << p[0];
  const int chars[][2] = {{8, 8},   {9, 9},     {13, 13},   {27, 27},   {33, 0x10021},
                          {40, 0x10028}, {45, 0x1002D}, {46, 127}, {65, 0}, {112, 0}};
  for (const auto& c : chars) EXPECT_EQ(KxGlfwGame::KeyToChar(c[0]), c[1]) << c[0];
}

TEST_F(HostTest, CallbacksBecomeHostEvents) {
  host.SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  host.StartGame();
  log.clear();
  fake.mouseX = 12;
  fake.mouseY = 34;
  fake.keyFun(glfw2::KEY_RIGHT, glfw2::kPress);
  fake.keyFun(glfw2::KEY_DEL, glfw2::kPress);
  fake.keyFun('A', glfw2::kPress);
  fake.keyFun('A', glfw2::kRelease);
  fake.keyFun(glfw2::KEY_LALT, glfw2::kPress);
  fake.charFun('a', glfw2::kPress);
  fake.charFun('b', glfw2::kRelease);
  fake.mouseButtonFun(0, glfw2::kPress);
  fake.mouseButtonFun(3, glfw2::kPress);
  fake.mouseButtonFun(2, glfw2::kRelease);
  fake.mousePosFun(5, 6);
  EXPECT_EQ(fake.closeFun(), 0);
  EXPECT_EQ(log, (Log{"key 1 39", "gc", "key 3 65575", "gc", "key 1 46", "gc", "key 3 127", "gc",
                      "key 1 65", "gc", "key 2 65", "gc", "key 3 97", "gc", "mouse 4 0 12 34",
                      "gc", "mouse 5 2 12 34", "gc", "mouse 6 -1 5 6", "gc", "key 1 432", "gc",
                      "key 2 432", "gc"}));
}

TEST_F(HostTest, WindowOpensCentredWithTitleAndReopeningReleasesHeldKeys) {
  fake.desktop = {1281, 1025, 8, 8, 8};
  int seq = glfwGraphicsSeq;
  host.SetSwapInterval(-1);
  fake.closeAfterSwaps = 1;
  host.Run();
  EXPECT_EQ(fake.width, 640);
  EXPECT_EQ(fake.height, 480);
  EXPECT_EQ(fake.mode, glfw2::WINDOW);
  EXPECT_EQ(fake.posX, 320);
  EXPECT_EQ(fake.posY, 272);
  EXPECT_EQ(fake.title, "Skarblit");
  EXPECT_EQ(fake.refreshHint, 60);
  EXPECT_TRUE(fake.keyRepeat);
  EXPECT_EQ(fake.calls, (Log{"close", "open"}));
  EXPECT_EQ(glfwGraphicsSeq - seq, fake.opens);

  fake.keysDown = {glfw2::KEY_LSHIFT, 'Q', glfw2::KEY_LALT};
  fake.calls.clear();
  fake.title = "kept";
  log.clear();
  host.SetSwapInterval(1);
  host.SetDeviceWindow(800, 600, 1);
  EXPECT_EQ(log, (Log{"key 2 81", "gc", "key 2 16", "gc"}));
  EXPECT_EQ(fake.calls, (Log{"swapinterval", "close", "open", "swapinterval"}));
  EXPECT_EQ(host.GetDisplayModes().Length(), 2);
  EXPECT_EQ(fake.mode, glfw2::FULLSCREEN);
  EXPECT_EQ(fake.width, 800);
  EXPECT_EQ(fake.title, "kept");
  EXPECT_EQ(host.GetDeviceHeight(), 600);

  host.SetDeviceWindow(640, 480, 2);
  EXPECT_EQ(fake.mode, glfw2::WINDOW);
  EXPECT_EQ(fake.title, "Skarblit");
  EXPECT_EQ(glfwGraphicsSeq - seq, fake.opens);
}

class JoystickTest : public HostTest {
 protected:
  // Polls port 1 with the given axes and the physical buttons in `down` pressed.
  bool Poll(int buttonCount, std::vector<float> axes, std::vector<int> down) {
    FakeGlfw::Joystick& j = fake.joysticks[1];
    j.present = true;
    j.axes = axes;
    j.buttons.assign(buttonCount, glfw2::kRelease);
    for (int b : down) j.buttons[b] = glfw2::kPress;
    return host.PollJoystick(1, joyx, joyy, joyz, buttons);
  }
  std::vector<float> Sticks() { return {joyx[0], joyy[0], joyz[0], joyx[1], joyy[1], joyz[1]}; }
  std::vector<int> Pressed() {
    std::vector<int> out;
    for (int i = 0; i < 32; i++) {
      if (buttons[i]) out.push_back(i);
    }
    return out;
  }
  Array<float> joyx{2}, joyy{2}, joyz{2};
  Array<bool> buttons{32};
};

TEST_F(JoystickTest, PlainPadsMapStraightAndAbsentOnesChangeNothing) {
  EXPECT_TRUE(Poll(10, {.1f, .2f, .3f, .4f, .5f, .6f, .7f}, {0, 9}));
  EXPECT_EQ(Sticks(), (std::vector<float>{.1f, .2f, .3f, .4f, .5f, .6f}));
  EXPECT_EQ(Pressed(), (std::vector<int>{0, 9}));
  EXPECT_FALSE(host.PollJoystick(0, joyx, joyy, joyz, buttons));
  EXPECT_EQ(Pressed(), (std::vector<int>{0, 9}));
}

TEST_F(JoystickTest, FourteenButtonsFiveAxesReadTheRightStickFromAxesFourAndThree) {
  EXPECT_TRUE(Poll(14, {.1f, .2f, .3f, .4f, .5f}, {7, 8, 9, 10, 13}));
  EXPECT_EQ(Sticks(), (std::vector<float>{.1f, .2f, .3f, .5f, -.4f, 0}));
  // The last four physical buttons move to 8..11, physical 8 and 9 to 12 and 13.
  EXPECT_EQ(Pressed(), (std::vector<int>{7, 8, 11, 12, 13}));
}

TEST_F(JoystickTest, SixteenButtonsSwapTheirUpperBlocks) {
  EXPECT_TRUE(Poll(16, {0, 0}, {8, 11, 12, 15}));
  EXPECT_EQ(Pressed(), (std::vector<int>{8, 11, 12, 15}));
  EXPECT_TRUE(Poll(16, {0, 0}, {9, 10, 13}));
  EXPECT_EQ(Pressed(), (std::vector<int>{9, 13, 14}));
}

TEST_F(JoystickTest, EighteenButtonsFourAxesTakeTheRightVerticalFromAxisTwo) {
  EXPECT_TRUE(Poll(18, {.1f, .2f, .3f, .4f}, {17, 13}));
  EXPECT_EQ(Sticks(), (std::vector<float>{.1f, .2f, .3f, .4f, -.3f, 0}));
  EXPECT_EQ(Pressed(), (std::vector<int>{11, 17}));
}

}  // namespace

namespace {

bool watchedDestroyed = false;

class Watched : public KxGameDelegate {
 public:
  ~Watched() override { watchedDestroyed = true; }
};

TEST(HostCollector, TheDelegateLivesAsLongAsTheHostHoldsIt) {
  // Ends a cycle through the host's own step, then allocates enough to destroy the garbage.
  auto cycleAndSweep = [](KxGame& host) {
    for (int i = 0; i < 2; i++) {
      gc_ext_malloced(gc_cycle_bytes + 1);
      host.gc_collect();
    }
    Array<int> big(1 << 18);
  };
  KxGame host;
  host.SetDelegate(new Watched);
  cycleAndSweep(host);
  EXPECT_FALSE(watchedDestroyed);
  host.SetDelegate(nullptr);
  cycleAndSweep(host);
  EXPECT_TRUE(watchedDestroyed);
}

}  // namespace
