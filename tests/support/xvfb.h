// Test support: a private X display. Each test that needs a window starts its own Xvfb on a
// free display number, points DISPLAY at it, and stops it when done; nothing depends on a
// display being there already.
#pragma once
#include <string>

#include "tests/support/process.h"

namespace kxtest {

class Xvfb {
 public:
  ~Xvfb() { Stop(); }
  // Starts Xvfb at the given screen size and sets DISPLAY in this process. False when Xvfb
  // is not installed or did not come up within a few seconds.
  bool Start(int width = 1280, int height = 1024);
  void Stop();
  // ":N", to hand to child processes as DISPLAY=:N.
  const std::string& Display() const { return display_; }
  // Runs a command-line tool against this display (xdotool and the like); returns its result.
  ProcessResult Tool(const std::vector<std::string>& argv, double timeoutSeconds = 10);

 private:
  Child server_;
  std::string display_;
  int number_ = -1;
};

// True when the Xvfb binary is installed (tests that need it skip cleanly otherwise).
bool HaveXvfb();

}  // namespace kxtest
