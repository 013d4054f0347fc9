// A private Xvfb display per test, and one shared by a program's in-process drawing tests.
#include "tests/support/xvfb.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

namespace kxtest {

namespace {

// The display of SharedDisplay: gtest tears it down once the program's tests have run.
struct SharedDisplayEnv : testing::Environment {
  void TearDown() override {
    if (state != 0) close();
    display.Stop();
    state = 0;
  }
  Xvfb display;
  int state = 0;  // 0 not started, 1 up, -1 failed to start
  std::function<void()> close;
};

SharedDisplayEnv* const shared =
    static_cast<SharedDisplayEnv*>(testing::AddGlobalTestEnvironment(new SharedDisplayEnv));

}  // namespace

// The server says its display number once it listens.
bool Xvfb::Start(int width, int height) {
  const std::string screen = std::to_string(width) + "x" + std::to_string(height);
  const TempDir dir("kxvfb");
  const std::string said = dir.path + "/display";
  std::string number;
  auto listening = [&] { return (number = ReadFile(said)).find('\n') != std::string::npos; };
  if (!server_.Start({"/bin/bash", KX_SOURCE_DIR "/tests/support/xvfb.sh", screen}, {}, said) ||
      !WaitFor([&] { return listening() || !server_.Running(); }) || !listening()) {
    return Stop(), false;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
  setenv("DISPLAY", display_.c_str(), 1);
  // Mesa's software renderer then draws on the calling thread and keeps no shader-cache thread,
  // here and in the programs started from here: a driver thread still running when a program
  // ends can crash the leak check, which stops the world at exit.
  setenv("LP_NUM_THREADS", "0", 0);
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  return true;
}

// Terminated, not killed, so the server removes its lock file and socket.
void Xvfb::Stop() {
  server_.Kill(SIGTERM);
  server_.Wait();
  display_.clear();
}

bool SharedDisplay(const std::function<bool()>& open, const std::function<void()>& close) {
  if (shared->state == 0) {
    shared->close = close;
    shared->state = shared->display.Start() && open() ? 1 : -1;
  }
  return shared->state == 1;
}

}  // namespace kxtest
