#include "agent_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/time.h>
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

Placed StartPlaced(Place place, const std::function<int()>& body) {
  Pipe report;
  Placed placed;
  placed.waiter = fork();
  if (placed.waiter < 0) return {};
  if (placed.waiter == 0) {
    pid_t pid = -1;
    if (place == Place::kHere || unshare(CLONE_NEWPID) == 0) pid = fork();
    if (pid == 0) _exit(body());
    report.Write(&pid, sizeof pid);
    _exit(pid > 0 ? ExitStatusWithin(pid, 60000) : 0);
  }
  if (!report.Read(&placed.pid, sizeof placed.pid) || placed.pid <= 0) {
    ExitStatusWithin(placed.waiter, 10000);
    return {};
  }
  return placed;
}

BusyHost::BusyHost() {
  struct sigaction action = {};
  action.sa_handler = [](int) {};
  sigemptyset(&action.sa_mask);
  sigaction(SIGALRM, &action, nullptr);
  const struct itimerval every10ms = {{0, 10000}, {0, 10000}};
  setitimer(ITIMER_REAL, &every10ms, nullptr);
}

BusyHost::~BusyHost() {
  const struct itimerval off = {};
  setitimer(ITIMER_REAL, &off, nullptr);
  signal(SIGALRM, SIG_DFL);
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

bool Pipe::ReadToEnd(std::string* text, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    struct pollfd ready = {ends[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) return false;
    char chunk[256];
    const ssize_t got = read(ends[0], chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) return false;
    text->append(chunk, static_cast<std::size_t>(got));
  }
}

void Pipe::CloseWriteEnd() {
  if (ends[1] >= 0) close(ends[1]);
  ends[1] = -1;
}

bool Pipe::Write(const void* data, std::size_t size) {
  return write(ends[1], data, size) == static_cast<ssize_t>(size);
}
