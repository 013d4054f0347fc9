// Test support: child programs with arguments, standard input, environment and working folder,
// their output captured; waiting for a condition; whole files; temporary folders.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace kxtest {

// The one deadline of a wait in the tests: long enough that only a hang reaches it, however
// loaded the machine is.
constexpr double kHangSeconds = 300;

struct ProcessResult {
  int status = -1;  // exit status (0..255), or -1 when it was killed, ran too long or never ran
  std::string out, err;
};

// Starts argv[0] (a path) with extraEnv ("NAME=value") added to or replacing entries of this
// environment; fds[i] becomes its descriptor i (-1: /dev/null). The child is killed when the
// thread that started it ends, so it never outlives the test program however that ends: start
// children from gtest's main thread. Returns the process id, or -1 when it could not start.
int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
          const std::vector<int>& fds, const std::string& workDir = "");

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
  // Starts the program; its standard streams are the given files ("": /dev/null).
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
             const std::string& outFile = "", const std::string& errFile = "",
             const std::string& workDir = "", const std::string& inFile = "");
  // Takes over a process started by Spawn, to be waited for and killed like our own.
  void Adopt(int pid) { pid_ = pid, reaped_ = false; }
  bool Running();
  // Waits for the exit; returns the status, or -1 on time-out or a signal.
  int Wait(double timeoutSeconds = kHangSeconds);
  void Kill(int signal = 9);
  int Pid() const { return pid_; }

 private:
  int pid_ = -1, status_ = -1;
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
