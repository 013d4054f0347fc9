// A small program for the error-path tests: does one thing named by its argument and lets the
// runtime end the process.
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"

int main(int argc, const char** argv) {
  kx_std_startup(argc, argv);
  const char* mode = argc > 1 ? argv[1] : "";
  if (!std::strcmp(mode, "error")) kxError(String(argc > 2 ? argv[2] : ""));
  if (!std::strcmp(mode, "print")) {
    const Char units[] = {'A', 0xE9, 0x20AC};
    kxPrint(String(units, 3));
    kxDebugLog(String("log"));
    return 0;
  }
  if (!std::strcmp(mode, "die")) kxDie();
  if (!std::strcmp(mode, "huge")) return Array<int>(argc > 2 ? std::atoi(argv[2]) : 0).Length();
  if (!std::strcmp(mode, "fpe")) std::raise(SIGFPE);
  if (!std::strcmp(mode, "stop")) {
    kxDebugStop();
    kxPrint(String("resumed"));
    return 0;
  }
  return 3;
}
