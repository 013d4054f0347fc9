// The program's entry: brings up the windowing library (with the players' extra gamepad
// mappings) and the runtime, creates the application and runs the host's loop until the
// window is gone.
#pragma once
#include "host/glfwgame.h"

class KxVantorGame : public KxGlfwGame {
 public:
  // 0 after a normal end; -1 (as the exit status) when the windowing library cannot start.
  static int Main(int argc, const char** argv);
  // The same with a host of the caller's choosing (one that records or replays the run); the
  // result is then the host's ExitStatus().
  static int Main2(KxVantorGame* game, int argc, const char** argv);
  // What the run's end means for the process: 0 for a normal end.
  virtual int ExitStatus() { return 0; }
};

// Every module's globals, runtime modules first; defined by the program.
void kxInit();
// Creates the application object, which installs its delegate into the host; defined by the
// program.
int kxMain();
// The runtime's share of start-up: arguments, fault handlers, locale, collector, kxInit,
// the roots, kxMain.
int kx_std_main(int argc, const char** argv);
