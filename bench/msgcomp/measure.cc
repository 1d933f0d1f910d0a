// Runs a command several times and prints the best wall-clock time, the best
// CPU time (user + system, from wait4) and the largest peak resident memory:
// "wall_seconds cpu_seconds peak_KiB". Standard input is /dev/null, output is
// discarded; a failing run prints its status and ends with 1.
//
// Usage: measure <runs> [--remove <file>] -- <program> [args...]
//   --remove deletes the file before every run (a fresh gensym each time).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <runs> [--remove <file>] -- <program> [args...]\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  int next = 2;
  const char* remove = nullptr;
  if (std::strcmp(argv[next], "--remove") == 0 && next + 1 < argc) {
    remove = argv[next + 1];
    next += 2;
  }
  if (next >= argc || std::strcmp(argv[next], "--") != 0 || next + 1 >= argc) {
    std::fprintf(stderr, "%s: missing -- <program>\n", argv[0]);
    return 2;
  }
  char** command = argv + next + 1;
  double bestWall = 1e9, bestCpu = 1e9;
  long peak = 0;
  for (int i = 0; i < runs; ++i) {
    if (remove != nullptr) unlink(remove);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      const int devnull = open("/dev/null", O_RDWR);
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
      execvp(command[0], command);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "%s failed with status %d\n", command[0], status);
      return 1;
    }
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (wall < bestWall) bestWall = wall;
    if (cpu < bestCpu) bestCpu = cpu;
    if (usage.ru_maxrss > peak) peak = usage.ru_maxrss;
  }
  std::printf("%.4f %.4f %ld\n", bestWall, bestCpu, peak);
  return 0;
}
