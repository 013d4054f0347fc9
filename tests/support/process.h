// Test support: run a child program with arguments, optional standard input and a time limit,
// and capture what it writes. Used by tests that judge a whole process (exit status, output).
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace kxtest {

// The one deadline of a wait in the tests: long enough that only a hang reaches it, however
// loaded the machine is.
constexpr double kHangSeconds = 300;

struct ProcessResult {
  int status = -1;        // exit status (0..255), or -1 when it was killed or could not start
  bool timedOut = false;  // killed because it ran past the limit
  std::string out;        // standard output
  std::string err;        // standard error
};

// Starts argv[0] (a path) with extraEnv in its environment; fds[i] becomes its descriptor i
// (-1: /dev/null). The child is killed when the thread that started it ends, so it never
// outlives the test program, however that ends: start children from gtest's main thread.
// Returns the process id, or -1 when the program could not be started.
int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
          const std::vector<int>& fds, const std::string& workDir = "");

// Runs argv[0] (a path) with the given arguments. When closeStdin is true the child's
// standard input is at end of file at once; otherwise it reads `input`.
// extraEnv holds "NAME=value" entries added to (or replacing in) the current environment.
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
  // Starts the program; its standard output and error go to the given files ("" = /dev/null).
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
             const std::string& outFile = "", const std::string& errFile = "",
             const std::string& workDir = "");
  // Takes over a process started elsewhere, so that it is waited for and killed like our own.
  void Adopt(int pid) {
    pid_ = pid;
    reaped_ = false;
  }
  bool Running();
  // Waits up to timeoutSeconds for the exit; returns the status, or -1 on time-out or signal.
  int Wait(double timeoutSeconds = kHangSeconds);
  void Kill(int signal = 9);
  int Pid() const { return pid_; }

 private:
  int pid_ = -1;
  int status_ = -1;
  bool reaped_ = false;
};

// Polls done() every 20 ms until it holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& done, double seconds = kHangSeconds);

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
// A fresh empty directory under the system's temporary folder.
std::string MakeTempDir(const std::string& prefix);

// Such a directory, removed with all it holds when the object goes, however the test ends.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix) : path(MakeTempDir(prefix)) {}
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string path;
};

}  // namespace kxtest
