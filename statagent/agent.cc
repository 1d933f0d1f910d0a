#include "agent.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

#include "agent_segment.h"
#include "request.h"

namespace {

constexpr unsigned kWatchdogSeconds = 2;
constexpr unsigned short kRequestSemaphore = 0;
constexpr unsigned short kReplySemaphore = 1;

// The parent as it was at start-up. Any other parent means the client has
// ended and the agent was adopted, by init or by a subreaper alike.
pid_t startParent = 0;

// Async-signal-safe only: getppid, alarm and _exit.
extern "C" void Watchdog(int) {
  if (getppid() != startParent) _exit(kAgentParentGone);
  alarm(kWatchdogSeconds);
}

bool InstallWatchdog() {
  struct sigaction action = {};
  action.sa_handler = Watchdog;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  return sigaction(SIGALRM, &action, nullptr) == 0;
}

// The caller defines the argument of semctl.
union semun {
  int val;
  struct semid_ds* buf;
  unsigned short* array;
};

// semId is read from the segment at every use: the client may replace the set.
int SetSemaphore(const AgentSegment& segment, unsigned short number, int value) {
  union semun argument = {};
  argument.val = value;
  return semctl(segment.semId, number, SETVAL, argument);
}

// Retried without limit; the caller arms the watchdog first so that a set
// removed under the agent cannot keep it spinning after the parent has gone.
void ResetRequestSemaphore(const AgentSegment& segment) {
  while (SetSemaphore(segment, kRequestSemaphore, 0) != 0) {
  }
}

void WaitForRequest(const AgentSegment& segment) {
  alarm(kWatchdogSeconds);
  for (;;) {
    struct sembuf op = segment.waitOp;
    if (semop(segment.semId, &op, 1) == 0) break;
  }
  alarm(0);
  // The client stored request and path before releasing the wait.
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

}  // namespace

int RunAgent(int argc, char* argv[]) {
  startParent = getppid();
  if (!InstallWatchdog()) return kAgentFailure;
  if (argc < 2) return kAgentFailure;

  // An identifier beyond the range of int would otherwise wrap onto some
  // other segment.
  const long requested = std::strtol(argv[1], nullptr, 10);
  if (requested < INT_MIN || requested > INT_MAX) return kAgentFailure;
  const int shmId = static_cast<int>(requested);
  void* address = shmat(shmId, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return kAgentFailure;
  struct shmid_ds info = {};
  if (shmctl(shmId, IPC_STAT, &info) != 0 || info.shm_segsz < AGENT_SEGMENT_MIN_SIZE) {
    return kAgentFailure;
  }
  const std::size_t segmentSize = info.shm_segsz;
  auto& segment = *static_cast<AgentSegment*>(address);

  if (SetSemaphore(segment, kReplySemaphore, 1) != 0) return kAgentFailure;
  alarm(kWatchdogSeconds);
  ResetRequestSemaphore(segment);

  for (;;) {
    WaitForRequest(segment);
    if (ServeRequest(segment, segmentSize) == RequestOutcome::kUnlisted) return kAgentFailure;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    // A failed reply post is not retried: the client's own timeout covers it.
    (void)SetSemaphore(segment, kReplySemaphore, 1);
    alarm(kWatchdogSeconds);
    ResetRequestSemaphore(segment);
  }
}
