// Child processes, waits and files for the tests (see process.h).
#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kxtest {

namespace {

// Between fork and exec: async-signal-safe calls only, as the test program has other threads.
// The descriptors are first moved above the three being replaced, so none is overwritten before
// it is copied; a -1 becomes /dev/null. A child that cannot run the program exits with 127.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, const int* fds,
                            const char* workDir, pid_t parent) {
  int moved[3];
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  bool ok = prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && getppid() == parent && null >= 0;
  for (int i = 0; ok && i < 3; ++i) {
    moved[i] = fcntl(fds[i] < 0 ? null : fds[i], F_DUPFD_CLOEXEC, 3);
    ok = moved[i] >= 0;
  }
  for (int i = 0; ok && i < 3; ++i) ok = dup2(moved[i], i) >= 0;
  if (ok && (!*workDir || chdir(workDir) == 0)) execve(argv[0], argv, envp);
  _exit(127);
}

std::string MakeTempDir(const std::string& prefix) {
  std::string tmpl = std::string(P_tmpdir) + "/" + prefix + "XXXXXX";
  return mkdtemp(tmpl.data()) ? tmpl : std::string();
}

}  // namespace

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
  if (child.Start(argv, extraEnv, out, out + ".err", workDir, in)) {
    r.status = child.Wait(timeoutSeconds);
  }
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
  // The files the child reads from and writes to; "" fails to open, and -1 becomes /dev/null.
  const std::string* paths[3] = {&inFile, &outFile, &errFile};
  const int creat = O_WRONLY | O_CREAT | O_TRUNC;
  int fds[3];
  bool failed = false;
  for (int i = 0; i < 3; ++i) {
    fds[i] = open(paths[i]->c_str(), (i ? creat : O_RDONLY) | O_CLOEXEC, 0644);
    failed |= fds[i] < 0 && !paths[i]->empty();
  }
  const pid_t parent = getpid();
  const pid_t pid = failed ? -1 : fork();
  if (pid == 0) ExecChild(argp.data(), envp.data(), fds, workDir.c_str(), parent);
  for (int fd : fds) close(fd);  // closing a -1 does nothing
  pid_ = pid, reaped_ = false;
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

std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes);
}

TempDir::TempDir(const std::string& prefix) : path(MakeTempDir(prefix)) {}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace kxtest
