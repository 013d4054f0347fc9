#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace kxtest {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Claims a display number by creating its lock file exclusively, the way X servers do,
// so that parallel tests never pick the same one.
int ClaimDisplayNumber() {
  for (int n = 90 + (getpid() % 300); n < 1000; ++n) {
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
    if (Exists(lock) || Exists(sock)) continue;
    return n;
  }
  return -1;
}

}  // namespace

bool HaveXvfb() { return Exists("/usr/bin/Xvfb"); }

bool Xvfb::Start(int width, int height) {
  if (!HaveXvfb()) return false;
  for (int attempt = 0; attempt < 5; ++attempt) {
    number_ = ClaimDisplayNumber();
    if (number_ < 0) return false;
    display_ = ":" + std::to_string(number_);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    if (!server_.Start({"/usr/bin/Xvfb", display_, "-screen", "0", screen, "-nolisten", "tcp",
                        "-noreset"}))
      return false;
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(number_);
    for (int i = 0; i < 500 && server_.Running(); ++i) {
      if (Exists(sock)) {
        setenv("DISPLAY", display_.c_str(), 1);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server_.Kill();
    server_.Wait(5);
  }
  return false;
}

void Xvfb::Stop() {
  if (number_ < 0) return;
  server_.Kill(15);
  if (server_.Wait(5) < 0 && server_.Running()) {
    server_.Kill(9);
    server_.Wait(5);
  }
  number_ = -1;
}

ProcessResult Xvfb::Tool(const std::vector<std::string>& argv, double timeoutSeconds) {
  return RunProcess(argv, "", true, timeoutSeconds, {"DISPLAY=" + display_});
}

}  // namespace kxtest
