// The framework over the scripted windowing library: display modes, the device size, and
// suspension reaching the audio device.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "app/app.h"
#include "host/glfwgame.h"
#include "tests/host/fake_glfw.h"

namespace {

typedef std::vector<std::pair<int, int>> Sizes;

// The library's mode list, as scripted.
struct ModesGlfw : kxtest::FakeGlfw {
  std::vector<glfw2::VidMode> modes;
  int GetVideoModes(glfw2::VidMode* list, int maxcount) override {
    return static_cast<int>(std::copy_n(modes.begin(), std::min<size_t>(maxcount, modes.size()),
                                        list) - list);
  }
};

// Logs the device size at each update, and the order of suspension and resumption, the
// application's share and the audio device's.
std::string order;
int Log(const char* what) { return order += what, 0; }
struct LogApp : c_App {
  Sizes seen;
  int p_OnUpdate() override {
    return seen.emplace_back(kx_app_DeviceWidth(), kx_app_DeviceHeight()), 0;
  }
  int p_OnSuspend() override { return Log("app-suspend "); }
  int p_OnResume() override { return Log("app-resume "); }
};
struct LogAudio : gxtkAudio {
  int Suspend() override { return Log("audio-suspend "); }
  int Resume() override { return Log("audio-resume "); }
};

struct AppTest : testing::Test {
  void SetUp() override { kx_app__game = &host; }
  void TearDown() override {
    kx_app__app = nullptr, kx_app__delegate = nullptr, kx_app__game = nullptr;
  }
  ModesGlfw glfw;
  KxGlfwGame host;
};

TEST_F(AppTest, DisplayModesDropDuplicatesAndKeepFirstSeenOrder) {
  glfw.modes = {{800, 600, 8, 8, 8}, {1024, 768, 8, 8, 8}, {800, 600, 8, 8, 8},
                {640, 480, 8, 8, 8}, {1024, 768, 8, 8, 8}, {600, 800, 8, 8, 8}};
  kx_app_EnumDisplayModes();
  Sizes got;
  for (int i = 0; i < kx_app__displayModes.Length(); ++i) {
    got.emplace_back(kx_app__displayModes[i]->m_width, kx_app__displayModes[i]->m_height);
  }
  got.emplace_back(kx_app__desktopMode->m_width, kx_app__desktopMode->m_height);
  EXPECT_EQ(got, (Sizes{{800, 600}, {1024, 768}, {640, 480}, {600, 800}, {1280, 1024}}));
}

TEST_F(AppTest, DeviceSizeFollowsTheWindowAndSuspensionReachesTheAudioDevice) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  LogApp* app = new LogApp;
  app->m_new();
  gc_assign(kx_app__delegate->m_input, (new c_InputDevice)->m_new());
  gc_assign(kx_app__delegate->m_audio, new LogAudio);
  glfw.width = 640;
  for (int height : {480, 500}) glfw.height = height, kx_app__delegate->UpdateGame();
  EXPECT_EQ(app->seen, (Sizes{{640, 480}, {640, 500}})) << "one side alone is a change";
  kx_app__delegate->SuspendGame();
  kx_app__delegate->ResumeGame();
  EXPECT_EQ(order, "app-suspend audio-suspend audio-resume app-resume ");
}

}  // namespace
