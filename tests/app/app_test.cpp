// The framework over the scripted windowing library: display modes, the device size, and
// suspension reaching the audio device.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "host/glfwgame.h"
#include "tests/host/fake_glfw.h"

namespace {

typedef std::vector<std::pair<int, int>> Sizes;

// The library's mode list, as scripted.
struct ModesGlfw : kxtest::FakeGlfw {
  std::vector<glfw2::VidMode> modes;
  int GetVideoModes(glfw2::VidMode* list, int maxcount) override {
    int n = std::min(maxcount, static_cast<int>(modes.size()));
    std::copy_n(modes.begin(), n, list);
    return n;
  }
};

// Remembers the device size the framework reported when the update ran.
class SizeApp : public c_App {
 public:
  Sizes seen;
  int p_OnUpdate() override {
    seen.emplace_back(kx_app_DeviceWidth(), kx_app_DeviceHeight());
    return 0;
  }
};

// Writes the order of suspension and resumption into one log, the application's share and the
// audio device's. The device opens OpenAL's silent driver.
std::string order;
int Log(const char* what) {
  order += what;
  return 0;
}
class OrderApp : public c_App {
 public:
  int p_OnSuspend() override { return Log("app-suspend "); }
  int p_OnResume() override { return Log("app-resume "); }
};
class OrderAudio : public gxtkAudio {
 public:
  int Suspend() override { return Log("audio-suspend "); }
  int Resume() override { return Log("audio-resume "); }
};

class AppTest : public testing::Test {
 protected:
  void SetUp() override { kx_app__game = &host; }
  void TearDown() override {
    kx_app__app = nullptr;
    kx_app__delegate = nullptr;
    kx_app__game = nullptr;
  }

  ModesGlfw glfw;
  KxGlfwGame host;
};

TEST_F(AppTest, DisplayModesDropDuplicatesAndKeepFirstSeenOrder) {
  for (auto mode : Sizes{{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}, {600, 800}}) {
    glfw.modes.push_back({mode.first, mode.second, 8, 8, 8});
  }
  kx_app_EnumDisplayModes();
  Sizes got;
  for (int i = 0; i < kx_app__displayModes.Length(); ++i) {
    got.emplace_back(kx_app__displayModes[i]->m_width, kx_app__displayModes[i]->m_height);
  }
  got.emplace_back(kx_app__desktopMode->m_width, kx_app__desktopMode->m_height);
  EXPECT_EQ(got, (Sizes{{800, 600}, {1024, 768}, {640, 480}, {600, 800}, {1280, 1024}}));
}

TEST_F(AppTest, DeviceSizeFollowsTheWindowBeforeEachUpdate) {
  SizeApp* app = new SizeApp;
  app->m_new();
  gc_assign(kx_app__delegate->m_input, (new c_InputDevice)->m_new());
  glfw.width = 640;
  glfw.height = 480;
  kx_app__delegate->UpdateGame();
  glfw.height = 500;
  kx_app__delegate->UpdateGame();
  EXPECT_EQ(app->seen, (Sizes{{640, 480}, {640, 500}})) << "one side alone is a change";
}

TEST_F(AppTest, SuspensionAndResumptionReachTheAudioDevice) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  (new OrderApp)->m_new();
  gc_assign(kx_app__delegate->m_audio, new OrderAudio);
  kx_app__delegate->SuspendGame();
  kx_app__delegate->ResumeGame();
  EXPECT_EQ(order, "app-suspend audio-suspend audio-resume app-resume ");
}

}  // namespace
