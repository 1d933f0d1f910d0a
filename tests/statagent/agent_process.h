// Processes of the agent tests: the agent started by hand, children that
// stand in for clients, and the waits on them, every one bounded.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Starts `program` with `args` (argv[1]...) as a child of this process; -1
// when that fails.
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args);

// The exit status (0-255, or 128 + signal) of child `pid` once it has ended
// within `timeoutMs`; -1 if it runs on, and it is then killed and reaped.
int ExitStatusWithin(pid_t pid, int timeoutMs);

// Runs `body` in a child made by fork and returns the child's exit status
// (body's result), or -1 if it did not end within `timeoutMs`.
int StatusOfChild(const std::function<int()>& body, int timeoutMs = 10000);

// Makes this process the reaper of its orphaned descendants while it lives,
// so that an agent whose client has ended can still be waited for here.
class Subreaper {
 public:
  Subreaper();
  ~Subreaper();
  Subreaper(const Subreaper&) = delete;
  Subreaper& operator=(const Subreaper&) = delete;
};

// A pipe whose ends are closed with the object.
struct Pipe {
  Pipe();
  ~Pipe();
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  // Exactly `size` bytes or false, waiting at most `timeoutMs`.
  bool Read(void* data, std::size_t size, int timeoutMs = 10000);
  bool Write(const void* data, std::size_t size);
  int ends[2] = {-1, -1};
};
