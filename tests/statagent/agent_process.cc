#include "agent_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

int ExitStatusWithin(pid_t pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    const pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid) break;
    if (reaped < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int StatusOfChild(const std::function<int()>& body, int timeoutMs) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(body());
  return ExitStatusWithin(child, timeoutMs);
}

Subreaper::Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
Subreaper::~Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }

Pipe::Pipe() {
  if (pipe(ends) != 0) ends[0] = ends[1] = -1;
}

Pipe::~Pipe() {
  for (int fd : ends) {
    if (fd >= 0) close(fd);
  }
}

bool Pipe::Read(void* data, std::size_t size, int timeoutMs) {
  auto* bytes = static_cast<unsigned char*>(data);
  while (size > 0) {
    struct pollfd ready = {ends[0], POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) != 1) return false;
    const ssize_t got = read(ends[0], bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool Pipe::Write(const void* data, std::size_t size) {
  return write(ends[1], data, size) == static_cast<ssize_t>(size);
}
