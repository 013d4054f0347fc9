#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "app/app.h"

namespace {

// A host with a scripted window size and mode lists.
class FakeHost : public KxGame {
 public:
  int width = 0;
  int height = 0;
  std::vector<std::pair<int, int>> modes;
  bool hasDesktop = false;

  int GetDeviceWidth() override { return width; }
  int GetDeviceHeight() override { return height; }
  Array<KxDisplayMode*> GetDisplayModes() override {
    Array<KxDisplayMode*> result(static_cast<int>(modes.size()));
    for (size_t i = 0; i < modes.size(); ++i) result[i] = Mode(modes[i].first, modes[i].second);
    return result;
  }
  KxDisplayMode* GetDesktopMode() override { return hasDesktop ? Mode(1920, 1080) : nullptr; }

 private:
  static KxDisplayMode* Mode(int width, int height) {
    KxDisplayMode* mode = new KxDisplayMode;
    mode->width = width;
    mode->height = height;
    return mode;
  }
};

// Remembers the device size the framework reported when the update ran.
class SizeApp : public c_App {
 public:
  int seenWidth = -1;
  int seenHeight = -1;
  int p_OnUpdate() override {
    seenWidth = kx_app_DeviceWidth();
    seenHeight = kx_app_DeviceHeight();
    return 0;
  }
};

class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    kx_app__game = &host;
    kx_app__app = nullptr;
    kx_app__delegate = nullptr;
    kx_app__devWidth = kx_app__devHeight = 0;
  }
  void TearDown() override {
    kx_app__app = nullptr;
    kx_app__delegate = nullptr;
    kx_input_device = nullptr;
    kx_app__game = nullptr;
  }

  FakeHost host;
};

// kxError ends the process, so the refusal is watched from a child whose report goes to
// standard error and whose debugger stop finds no input.
TEST_F(AppTest, SecondApplicationIsRefused) {
  c_App* app = (new c_App)->m_new();
  EXPECT_EQ(kx_app__app, app);
  EXPECT_EQ(host.Delegate(), kx_app__delegate);
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        if (!freopen("/dev/null", "r", stdin)) _exit(3);
        (new c_App)->m_new();
      },
      testing::ExitedWithCode(255), "Vantor Runtime Error : App has already been created");
}

TEST_F(AppTest, CloseKeyEndsTheProgramQuietly) {
  (new c_App)->m_new();
  gc_assign(kx_app__delegate->m_input, (new c_InputDevice)->m_new());
  kx_app__delegate->KeyEvent(KxEventKeyUp, KxKeyClose);
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        kx_app__delegate->KeyEvent(KxEventKeyDown, KxKeyClose);
        fputs("still running", stderr);
        _exit(3);
      },
      testing::ExitedWithCode(0), "^$");
}

TEST_F(AppTest, DisplayModesDropDuplicatesAndKeepFirstSeenOrder) {
  host.modes = {{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}, {600, 800}};
  host.hasDesktop = true;
  kx_app_EnumDisplayModes();
  std::vector<std::pair<int, int>> got;
  for (int i = 0; i < kx_app__displayModes.Length(); ++i) {
    got.emplace_back(kx_app__displayModes[i]->m_width, kx_app__displayModes[i]->m_height);
  }
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{800, 600}, {1024, 768}, {640, 480}, {600, 800}}));
  EXPECT_EQ(kx_app__desktopMode->m_width, 1920);

  host.modes.clear();
  host.hasDesktop = false;
  host.width = 640;
  host.height = 480;
  kx_app_ValidateDeviceWindow(false);
  kx_app_EnumDisplayModes();
  EXPECT_EQ(kx_app__displayModes.Length(), 0);
  EXPECT_EQ(kx_app__desktopMode->m_width, 640) << "without a desktop mode the window stands in";
  EXPECT_EQ(kx_app__desktopMode->m_height, 480);
}

TEST_F(AppTest, DeviceSizeFollowsTheWindowBeforeEachUpdate) {
  SizeApp* app = new SizeApp;
  app->m_new();
  gc_assign(kx_app__delegate->m_input, (new c_InputDevice)->m_new());
  host.width = 640;
  host.height = 480;
  kx_app__delegate->UpdateGame();
  EXPECT_EQ(app->seenWidth, 640);
  EXPECT_EQ(app->seenHeight, 480);
  host.height = 500;
  kx_app__delegate->UpdateGame();
  EXPECT_EQ(app->seenWidth, 640);
  EXPECT_EQ(app->seenHeight, 500) << "a change of one side alone is a change";
}

}  // namespace
