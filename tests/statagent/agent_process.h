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

// A process started in one of two places: a child of this process in its own
// PID namespace, or (in a new PID namespace) as PID 1 of that namespace. It
// runs `body` in a grandchild; `pid` is the grandchild as this process sees
// it, `waiter` the child that waits for it and ends with its status.
struct Placed {
  pid_t pid = -1;
  pid_t waiter = -1;
  bool placed() const { return pid > 0; }
};
enum class Place { kHere, kNewPidNamespace };
// pid stays -1 when the namespace cannot be made here (no privilege).
Placed StartPlaced(Place place, const std::function<int()>& body);

// For its lifetime, this process takes SIGALRM every 10 ms, with a handler
// that does nothing and no SA_RESTART, as a host with a progress timer does.
class BusyHost {
 public:
  BusyHost();
  ~BusyHost();
  BusyHost(const BusyHost&) = delete;
  BusyHost& operator=(const BusyHost&) = delete;
};

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
  // Everything until end-of-file; false if it did not come within `timeoutMs`.
  bool ReadToEnd(std::string* text, int timeoutMs);
  // Closes the write end, as a reader must before it can see end-of-file.
  void CloseWriteEnd();
  int ends[2] = {-1, -1};
};
