#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace kxtest {

namespace {

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

int Spawn(const std::vector<std::string>& argvIn, const std::vector<std::string>& extraEnv,
          posix_spawn_file_actions_t* actions, const std::string& workDir) {
  std::vector<std::string> args = argvIn;
  std::vector<std::string> env = MergedEnv(extraEnv);
  std::vector<char*> argp = Pointers(args), envp = Pointers(env);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(actions, workDir.c_str());
  pid_t pid = -1;
  if (posix_spawn(&pid, argp[0], actions, nullptr, argp.data(), envp.data()) != 0) return -1;
  return pid;
}

int DecodeStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         bool closeStdin, double timeoutSeconds,
                         const std::vector<std::string>& extraEnv, const std::string& workDir) {
  ProcessResult r;
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) || pipe(outPipe) || pipe(errPipe)) return r;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  int pid = Spawn(argv, extraEnv, &actions, workDir);
  posix_spawn_file_actions_destroy(&actions);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    return r;
  }
  signal(SIGPIPE, SIG_IGN);
  if (!closeStdin && !input.empty()) {
    // Small inputs only: the pipe buffer holds them without blocking.
    ssize_t ignored = write(inPipe[1], input.data(), input.size());
    (void)ignored;
  }
  close(inPipe[1]);
  double deadline = Now() + timeoutSeconds;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    int left = (int)((deadline - Now()) * 1000);
    if (left <= 0) {
      r.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, left) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? r.out : r.err).append(buf, n);
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int raw = 0;
  waitpid(pid, &raw, 0);
  r.status = r.timedOut ? -1 : DecodeStatus(raw);
  return r;
}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    Kill(SIGKILL);
    Wait(5);
  }
}

bool Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                  const std::string& outFile, const std::string& errFile,
                  const std::string& workDir) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.empty() ? "/dev/null" : outFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.empty() ? "/dev/null" : errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_ = Spawn(argv, extraEnv, &actions, workDir);
  posix_spawn_file_actions_destroy(&actions);
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
  double deadline = Now() + timeoutSeconds;
  while (Running()) {
    if (Now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
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

}  // namespace kxtest
