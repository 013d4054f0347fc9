// Test support: child programs with arguments, standard input, environment and working folder,
// their output captured; waiting for a condition; whole files; temporary folders.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kxtest {

// The one deadline of a wait in the tests: long enough that only a hang reaches it, however
// loaded the machine is.
constexpr double kHangSeconds = 300;

struct ProcessResult {
  // Exit status (0..255; 127 when the program could not be run), or -1 when it was killed, ran
  // too long or never started.
  int status = -1;
  std::string out, err;
};

// Runs the program to its end; its standard input reads `input` (nothing when closeStdin).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         bool closeStdin = false, double timeoutSeconds = kHangSeconds,
                         const std::vector<std::string>& extraEnv = {},
                         const std::string& workDir = "");

// A child that keeps running while the test talks to it (a game under Xvfb, a server); killed
// when the object goes.
class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Starts argv[0] (a path) with extraEnv ("NAME=value") added to or replacing entries of this
  // environment, its standard streams the given files ("": /dev/null). The child is killed when
  // the thread that started it ends, so it never outlives the test program however that ends:
  // start children from gtest's main thread.
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
             const std::string& outFile = "", const std::string& errFile = "",
             const std::string& workDir = "", const std::string& inFile = "");
  bool Running();
  // Waits for the exit; returns the status, or -1 on time-out or a signal.
  int Wait(double timeoutSeconds = kHangSeconds);
  void Kill(int signal = 9);

 private:
  int pid_ = -1, status_ = -1;
  bool reaped_ = false;
};

// Polls done() every `pauseMs` until it holds or the time is up; true when it held. Inline, so
// the header-only net helpers and the fuzz build that uses them need no test library.
inline bool WaitFor(const std::function<bool()>& done, double seconds = kHangSeconds,
                    int pauseMs = 20) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
  return true;
}

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// A fresh empty directory under the system's temporary folder, removed with all it holds when
// the object goes, however the test ends.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string path;
};

}  // namespace kxtest
