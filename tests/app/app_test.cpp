// The framework over a scripted host: display modes, the device size, and suspension reaching
// the audio device.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app.h"

namespace {

typedef std::vector<std::pair<int, int>> Sizes;

// A host with a scripted window size and mode list.
class FakeHost : public KxGame {
 public:
  int width = 0;
  int height = 0;
  Sizes modes;

  int GetDeviceWidth() override { return width; }
  int GetDeviceHeight() override { return height; }
  Array<KxDisplayMode*> GetDisplayModes() override {
    Array<KxDisplayMode*> result(static_cast<int>(modes.size()));
    for (int i = 0; i < result.Length(); ++i) {
      result[i] = new KxDisplayMode;
      result[i]->width = modes[i].first;
      result[i]->height = modes[i].second;
    }
    return result;
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

  FakeHost host;
};

TEST_F(AppTest, DisplayModesDropDuplicatesAndKeepFirstSeenOrder) {
  host.modes = {{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}, {600, 800}};
  host.width = 320;
  host.height = 200;
  kx_app_ValidateDeviceWindow(false);
  kx_app_EnumDisplayModes();
  Sizes got;
  for (int i = 0; i < kx_app__displayModes.Length(); ++i) {
    got.emplace_back(kx_app__displayModes[i]->m_width, kx_app__displayModes[i]->m_height);
  }
  EXPECT_EQ(got, (Sizes{{800, 600}, {1024, 768}, {640, 480}, {600, 800}}));
  EXPECT_EQ(kx_app__desktopMode->m_width, 320) << "without a desktop mode the window stands in";
}

TEST_F(AppTest, AnEmptyDisplayModeIsZeroWhateverItsBlockHeld) {
  alignas(c_DisplayMode) unsigned char block[sizeof(c_DisplayMode)];
  memset(block, 0x5A, sizeof block);
  c_DisplayMode* mode = (new (block) c_DisplayMode)->m_new2();
  EXPECT_EQ(Sizes({{mode->m_width, mode->m_height}}), Sizes({{0, 0}}));
  mode->~c_DisplayMode();
}

TEST_F(AppTest, DeviceSizeFollowsTheWindowBeforeEachUpdate) {
  SizeApp* app = new SizeApp;
  app->m_new();
  gc_assign(kx_app__delegate->m_input, (new c_InputDevice)->m_new());
  host.width = 640;
  host.height = 480;
  kx_app__delegate->UpdateGame();
  host.height = 500;
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
