#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace kxtest {

namespace {

// Reads the display number the server writes once it listens; -1 when it does not before a
// hang's deadline. Letting the server choose (-displayfd) is the only race-free way when many tests
// start displays at once.
int ReadDisplayNumber(int fd) {
  std::string text;
  pollfd p = {fd, POLLIN, 0};
  while (text.find('\n') == std::string::npos) {
    if (poll(&p, 1, static_cast<int>(kHangSeconds * 1000)) <= 0) return -1;
    char buf[32];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return -1;
    text.append(buf, static_cast<size_t>(n));
  }
  return atoi(text.c_str());
}

// The display of SharedDisplay: gtest tears it down once the program's tests have run.
class SharedDisplayEnv : public testing::Environment {
 public:
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
  // A server that dies closes the pipe at once; only a slow one is waited for this long.
  number_ = server_.Pid() > 0 ? ReadDisplayNumber(fds[0]) : -1;
  close(fds[0]);
  if (number_ < 0) {
    server_.Kill();
    server_.Wait(5);
    return false;
  }
  display_ = ":" + std::to_string(number_);
  setenv("DISPLAY", display_.c_str(), 1);
  // Mesa's software renderer then draws on the calling thread and keeps no shader-cache thread,
  // here and in the programs started from here: a driver thread still running when a program
  // ends can crash the leak check, which stops the world at exit.
  setenv("LP_NUM_THREADS", "0", 0);
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  return true;
}

void Xvfb::Stop() {
  if (number_ < 0) return;
  server_.Kill(15);
  if (server_.Wait(5) < 0) server_.Kill(9);
  server_.Wait(5);
  number_ = -1;
}

ProcessResult Xvfb::Tool(const std::vector<std::string>& argv, double timeoutSeconds) {
  return RunProcess(argv, "", true, timeoutSeconds, {"DISPLAY=" + display_});
}

bool SharedDisplay(const std::function<bool()>& open, const std::function<void()>& close) {
  if (shared->state == 0) {
    shared->close = close;
    shared->state = shared->display.Start() && open() ? 1 : -1;
  }
  return shared->state == 1;
}

}  // namespace kxtest
