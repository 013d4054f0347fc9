#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace kxtest {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Reads the display number the server writes once it listens; -1 when it does not within the
// time limit. Letting the server choose (-displayfd) is the only race-free way when many tests
// start displays at once.
int ReadDisplayNumber(int fd, int timeoutMs) {
  std::string text;
  pollfd p = {fd, POLLIN, 0};
  while (text.find('\n') == std::string::npos) {
    if (poll(&p, 1, timeoutMs) <= 0) return -1;
    char buf[32];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return -1;
    text.append(buf, static_cast<size_t>(n));
  }
  return atoi(text.c_str());
}

}  // namespace

bool HaveXvfb() { return Exists("/usr/bin/Xvfb"); }

bool Xvfb::Start(int width, int height) {
  if (!HaveXvfb()) return false;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  std::string fd = "3";
  std::vector<std::string> args = {"/usr/bin/Xvfb", "-displayfd", fd, "-screen", "0", screen,
                                   "-nolisten", "tcp", "-noreset"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  server_.Adopt(pid);
  number_ = ReadDisplayNumber(fds[0], 15000);
  close(fds[0]);
  if (number_ < 0) {
    server_.Kill();
    server_.Wait(5);
    return false;
  }
  display_ = ":" + std::to_string(number_);
  setenv("DISPLAY", display_.c_str(), 1);
  return true;
}

void Xvfb::Stop() {
  if (number_ < 0) return;
  server_.Kill(15);
  if (server_.Wait(5) < 0 && server_.Running()) {
    server_.Kill(9);
    server_.Wait(5);
  }
  number_ = -1;
}

ProcessResult Xvfb::Tool(const std::vector<std::string>& argv, double timeoutSeconds) {
  return RunProcess(argv, "", true, timeoutSeconds, {"DISPLAY=" + display_});
}

}  // namespace kxtest
