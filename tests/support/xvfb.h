// Test support: a private X display. Each test that needs a window starts its own Xvfb on a
// display number the server picks, points DISPLAY at it, and stops it when done; nothing
// depends on a display being there already.
#pragma once
#include <functional>
#include <string>

#include "tests/support/process.h"

namespace kxtest {

class Xvfb {
 public:
  ~Xvfb() { Stop(); }
  // Starts Xvfb at the given screen size and sets DISPLAY in this process (and the renderer's
  // settings for tests, see xvfb.cpp). False when Xvfb is not installed or did not come up.
  bool Start(int width = 1280, int height = 1024);
  void Stop();
  // ":N", to hand to child processes as DISPLAY=:N.
  const std::string& Display() const { return display_; }
  // Runs a command-line tool against this display (xdotool and the like).
  ProcessResult Tool(const std::vector<std::string>& argv, double timeoutSeconds = kHangSeconds) {
    return RunProcess(argv, "", true, timeoutSeconds, {"DISPLAY=" + display_});
  }

 private:
  Child server_;
  std::string display_;
};

// One display for all the tests of a program that draw in-process. The first call starts it and
// runs `open` (the windowing library on it); once the tests have run, `close` takes down what
// was opened, then the display stops: OpenGL driver threads still running when the process ends
// can crash the leak check's tracer. True while the display is up and `open` succeeded.
bool SharedDisplay(const std::function<bool()>& open, const std::function<void()>& close);

}  // namespace kxtest
