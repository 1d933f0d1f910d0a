#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace {

struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() {
    if (pipe2(fd, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  void CloseRead() {
    if (fd[0] >= 0) close(fd[0]);
    fd[0] = -1;
  }
  void CloseWrite() {
    if (fd[1] >= 0) close(fd[1]);
    fd[1] = -1;
  }
};

}  // namespace

RunResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const RunOptions& options) {
  Pipe in, out, err;
  std::vector<std::string> argStore{program.string()};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStore;
  for (char** e = environ; *e != nullptr; ++e) envStore.emplace_back(*e);
  envStore.insert(envStore.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in.fd[0], 0);
    dup2(out.fd[1], 1);
    dup2(err.fd[1], 2);
    if (!options.workdir.empty() && chdir(options.workdir.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  in.CloseRead();
  out.CloseWrite();
  err.CloseWrite();
  signal(SIGPIPE, SIG_IGN);

  RunResult result;
  size_t written = 0;
  if (options.input.empty()) in.CloseWrite();
  else fcntl(in.fd[1], F_SETFL, O_NONBLOCK);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  bool killed = false;
  while (out.fd[0] >= 0 || err.fd[0] >= 0) {
    pollfd fds[3];
    int n = 0;
    if (out.fd[0] >= 0) fds[n++] = {out.fd[0], POLLIN, 0};
    if (err.fd[0] >= 0) fds[n++] = {err.fd[0], POLLIN, 0};
    if (in.fd[1] >= 0) fds[n++] = {in.fd[1], POLLOUT, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    if (poll(fds, n, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in.fd[1]) {
        const ssize_t w = write(in.fd[1], options.input.data() + written, options.input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 || written == options.input.size()) in.CloseWrite();
        continue;
      }
      char buf[65536];
      const ssize_t r = read(fds[i].fd, buf, sizeof buf);
      const bool isOut = fds[i].fd == out.fd[0];
      if (r <= 0) {
        isOut ? out.CloseRead() : err.CloseRead();
      } else {
        (isOut ? result.out : result.err).append(buf, static_cast<size_t>(r));
      }
    }
  }
  in.CloseWrite();
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) result.status = 128 + WTERMSIG(wstatus);
  if (killed) result.err += "\n[killed after timeout]\n";
  return result;
}
