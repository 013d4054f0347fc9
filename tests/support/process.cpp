#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace kxtest {

namespace {

constexpr size_t kMaxFds = 8;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The current environment with the extra entries added or replacing same-named ones.
std::vector<std::string> MergedEnv(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& x : extra) replaced |= x.substr(0, x.find('=')) == name;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (auto& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Between fork and exec: async-signal-safe calls only, as the test program has other threads.
// The descriptors are first moved above the ones being replaced, so none is overwritten before
// it is copied; a -1 becomes /dev/null. On failure the errno goes back through `report`.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, const std::vector<int>& fds,
                            const char* workDir, pid_t parent, int report) {
  int moved[kMaxFds];
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  bool ok = prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && getppid() == parent && null >= 0;
  for (size_t i = 0; ok && i < fds.size(); ++i) {
    moved[i] = fcntl(fds[i] < 0 ? null : fds[i], F_DUPFD_CLOEXEC, kMaxFds);
    ok = moved[i] >= 0;
  }
  for (size_t i = 0; ok && i < fds.size(); ++i) ok = dup2(moved[i], static_cast<int>(i)) >= 0;
  if (ok && (!*workDir || chdir(workDir) == 0)) execve(argv[0], argv, envp);
  int error = errno;
  ssize_t ignored = write(report, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

int DecodeStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

// A file a child writes its output to; -1 for "" (then /dev/null) or when it cannot be made.
int OpenOutput(const std::string& path) {
  return path.empty() ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

}  // namespace

int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
          const std::vector<int>& fds, const std::string& workDir) {
  std::vector<std::string> args = argv, env = MergedEnv(extraEnv);
  std::vector<char*> argp = Pointers(args), envp = Pointers(env);
  int report[2];
  if (fds.size() > kMaxFds || pipe2(report, O_CLOEXEC) != 0) return -1;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) ExecChild(argp.data(), envp.data(), fds, workDir.c_str(), parent, report[1]);
  close(report[1]);
  // A successful exec closes the pipe unwritten.
  int error = 0;
  const bool failed = pid < 0 || read(report[0], &error, sizeof error) > 0;
  close(report[0]);
  if (failed && pid > 0) waitpid(pid, nullptr, 0);
  return failed ? -1 : pid;
}

// The child reads its input from a file and writes its output to files: nothing can block on a
// full pipe, and the result is complete once the child has ended.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         bool closeStdin, double timeoutSeconds,
                         const std::vector<std::string>& extraEnv, const std::string& workDir) {
  ProcessResult r;
  const TempDir scratch("kxrun");
  const std::string dir = scratch.path, in = dir + "/in";
  WriteFile(in, closeStdin ? "" : input);
  const int fds[3] = {open(in.c_str(), O_RDONLY | O_CLOEXEC), OpenOutput(dir + "/out"),
                      OpenOutput(dir + "/err")};
  Child child;
  child.Adopt(Spawn(argv, extraEnv, {fds[0], fds[1], fds[2]}, workDir));
  for (int fd : fds) close(fd);
  r.status = child.Wait(timeoutSeconds);
  r.timedOut = child.Running();
  r.status = r.timedOut ? -1 : r.status;
  r.out = ReadFile(dir + "/out");
  r.err = ReadFile(dir + "/err");
  return r;
}

Child::~Child() {
  Kill(SIGKILL);
  Wait(5);
}

bool Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                  const std::string& outFile, const std::string& errFile,
                  const std::string& workDir) {
  const int out = OpenOutput(outFile), err = OpenOutput(errFile);
  const bool opened = (outFile.empty() || out >= 0) && (errFile.empty() || err >= 0);
  pid_ = opened ? Spawn(argv, extraEnv, {-1, out, err}, workDir) : -1;
  for (int fd : {out, err})
    if (fd >= 0) close(fd);
  reaped_ = false;
  return pid_ > 0;
}

bool Child::Running() {
  if (pid_ <= 0 || reaped_) return false;
  int raw = 0;
  if (waitpid(pid_, &raw, WNOHANG) == pid_) {
    reaped_ = true;
    status_ = DecodeStatus(raw);
    return false;
  }
  return true;
}

int Child::Wait(double timeoutSeconds) {
  return WaitFor([this] { return !Running(); }, timeoutSeconds) ? status_ : -1;
}

void Child::Kill(int sig) {
  if (pid_ > 0 && !reaped_) kill(pid_, sig);
}

bool WaitFor(const std::function<bool()>& done, double seconds) {
  double deadline = Now() + seconds;
  while (Now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), (std::streamsize)bytes.size());
  return (bool)f;
}

std::string MakeTempDir(const std::string& prefix) {
  std::string tmpl = std::string(P_tmpdir) + "/" + prefix + "XXXXXX";
  char* made = mkdtemp(tmpl.data());
  return made ? std::string(made) : std::string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace kxtest
