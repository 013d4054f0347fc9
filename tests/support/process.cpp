// Child processes, waits and files for the tests (see process.h).
#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace kxtest {

namespace {

constexpr size_t kMaxFds = 8;

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

// A file a child reads from or writes to; -1 for "" (then /dev/null) or when it cannot be opened.
int Open(const std::string& path, int flags) {
  return path.empty() ? -1 : open(path.c_str(), flags | O_CLOEXEC, 0644);
}

}  // namespace

int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
          const std::vector<int>& fds, const std::string& workDir) {
  std::vector<std::string> args = argv, env = extraEnv;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e), name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const auto& x : extraEnv) replaced |= x.compare(0, name.size(), name) == 0;
    if (!replaced) env.push_back(entry);
  }
  std::vector<char*> argp, envp;  // null-terminated, as execve takes them
  for (auto& a : args) argp.push_back(a.data());
  for (auto& e : env) envp.push_back(e.data());
  argp.push_back(nullptr), envp.push_back(nullptr);
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
  const TempDir scratch("kxrun");
  const std::string in = scratch.path + "/in", out = scratch.path + "/out";
  WriteFile(in, closeStdin ? "" : input);
  ProcessResult r;
  Child child;
  if (child.Start(argv, extraEnv, out, out + ".err", workDir, in)) r.status = child.Wait(timeoutSeconds);
  r.out = ReadFile(out);
  r.err = ReadFile(out + ".err");
  return r;
}

Child::~Child() {
  Kill(SIGKILL);
  if (pid_ > 0 && !reaped_) waitpid(pid_, nullptr, 0);
}

bool Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                  const std::string& outFile, const std::string& errFile,
                  const std::string& workDir, const std::string& inFile) {
  const int creat = O_WRONLY | O_CREAT | O_TRUNC;
  const int fds[3] = {Open(inFile, O_RDONLY), Open(outFile, creat), Open(errFile, creat)};
  const bool opened = (inFile.empty() || fds[0] >= 0) && (outFile.empty() || fds[1] >= 0) &&
                      (errFile.empty() || fds[2] >= 0);
  Adopt(opened ? Spawn(argv, extraEnv, {fds[0], fds[1], fds[2]}, workDir) : -1);
  for (int fd : fds) {
    if (fd >= 0) close(fd);
  }
  return pid_ > 0;
}

bool Child::Running() {
  int raw = 0;
  if (pid_ <= 0 || reaped_ || waitpid(pid_, &raw, WNOHANG) != pid_) return pid_ > 0 && !reaped_;
  reaped_ = true;
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return false;
}

int Child::Wait(double timeoutSeconds) {
  return WaitFor([this] { return !Running(); }, timeoutSeconds) && reaped_ ? status_ : -1;
}

void Child::Kill(int sig) {
  if (pid_ > 0 && !reaped_) kill(pid_, sig);
}

bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes);
}

std::string MakeTempDir(const std::string& prefix) {
  std::string tmpl = std::string(P_tmpdir) + "/" + prefix + "XXXXXX";
  return mkdtemp(tmpl.data()) ? tmpl : std::string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace kxtest
