// A private Xvfb display per test, and one shared by a program's in-process drawing tests.
#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

namespace kxtest {

namespace {

// The display number the server writes once it listens; "" when it does not before a hang's
// deadline. Letting the server choose (-displayfd) is the only race-free way when many tests
// start displays at once; a server that dies closes the pipe at once.
std::string ReadDisplayNumber(int fd) {
  std::string text;
  pollfd p = {fd, POLLIN, 0};
  char buf[32];
  ssize_t n = 1;
  while (text.find('\n') == std::string::npos && n > 0) {
    n = poll(&p, 1, static_cast<int>(kHangSeconds * 1000)) > 0 ? read(fd, buf, sizeof buf) : 0;
    text.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
  }
  return n > 0 ? text.substr(0, text.find('\n')) : "";
}

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

bool Xvfb::Start(int width, int height) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server_.Adopt(Spawn(
      {"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
      {}, {-1, -1, -1, fds[1]}));
  close(fds[1]);
  const std::string number = server_.Pid() > 0 ? ReadDisplayNumber(fds[0]) : "";
  close(fds[0]);
  if (number.empty()) return server_.Kill(), Stop(), false;
  display_ = ":" + number;
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
