#include "agent.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>

#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

#include "qoagent_segment.h"
#include "request.h"
#include "semctl_arg.h"

namespace qokit::agent {
namespace {

constexpr unsigned kWatchdogSeconds = 2;
constexpr unsigned short kRequestSemaphore = QOAGENT_SEM_REQUEST;
constexpr unsigned short kReplySemaphore = QOAGENT_SEM_REPLY;

// The parent as it was when the agent began. Any other parent means the
// client has ended and the agent was adopted, by init or by a subreaper alike.
pid_t startParent = 0;

// Async-signal-safe only: getppid, alarm and _exit. Besides the alarm, the
// kernel raises it when the parent ends (see WatchParent), so that an agent
// whose wait never blocks stops at once instead of spinning until the alarm.
void Watchdog(int) {
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

// Asks the kernel for SIGALRM when the parent ends. It is sent when the
// thread that started the agent ends, too; the watchdog then finds the
// parent unchanged and only re-arms the alarm. Without it the alarm alone
// still ends the agent.
void WatchParent() { (void)prctl(PR_SET_PDEATHSIG, SIGALRM); }

// Decimal, as strtol reads it; characters after the number are ignored. An
// argument without digits would read as 0 and a hexadecimal one ("0x1f") as
// its leading 0, either way naming segment 0, which is someone else's.
bool ParseSegmentId(const char* text, int* shmId) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE) return false;
  const bool hexPrefix = (*end == 'x' || *end == 'X') && end[-1] == '0' &&
                         (end - 1 == text || !std::isdigit(static_cast<unsigned char>(end[-2])));
  if (hexPrefix) return false;
  // An identifier beyond the range of int would otherwise wrap onto some
  // other segment.
  if (value < INT_MIN || value > INT_MAX) return false;
  *shmId = static_cast<int>(value);
  return true;
}

// True when the client has already ended: during start-up (the parent has
// changed), or before the agent could record its parent (which is then init
// or a subreaper, not the process that made the segment, and no process but
// the agent has the segment attached any more). A parent that is 1 is no
// sign by itself: a client may be the first process of a PID namespace.
bool ClientGoneAtStart(const struct shmid_ds& segment) {
  const pid_t parent = getppid();
  if (parent != startParent) return true;
  return parent != segment.shm_cpid && segment.shm_nattch <= 1;
}

// semId is read from the segment at every use: the client may replace the set.
int SetSemaphore(const AgentSegment& segment, unsigned short number, int value) {
  SemArgument argument = {};
  argument.val = value;
  return semctl(segment.semId, number, SETVAL, argument);
}

// False when the set has been removed or is otherwise unusable: then no
// request can be served any more.
bool ResetRequestSemaphore(const AgentSegment& segment) {
  while (SetSemaphore(segment, kRequestSemaphore, 0) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The watchdog stays armed for the agent's whole life (the handler re-arms
// it), but it is let through only while the agent waits for a request: a
// status call is never interrupted, and re-arming the alarm around every
// wait would cost two timer calls per request.
void LetWatchdogIn(bool in) {
  sigset_t alarmOnly;
  sigemptyset(&alarmOnly);
  sigaddset(&alarmOnly, SIGALRM);
  sigprocmask(in ? SIG_UNBLOCK : SIG_BLOCK, &alarmOnly, nullptr);
}

// Waits with the watchdog let in; false when the set is gone or unusable
// (removed, invalid identifier, no permission, bad operation). A watchdog
// that fell due while the agent was serving runs as soon as it is let in,
// so even a wait that always succeeds at once cannot keep it out. A wait
// that was interrupted or did not wait (IPC_NOWAIT) looks at the parent
// itself too: a runtime that defers signal handlers to its own next call
// (ThreadSanitizer does) would otherwise leave the watchdog pending for ever.
bool WaitForRequest(const AgentSegment& segment) {
  LetWatchdogIn(true);
  for (;;) {
    struct sembuf op = segment.waitOp;
    if (semop(segment.semId, &op, 1) == 0) break;
    if ((errno == EINTR || errno == EAGAIN) && getppid() != startParent) _exit(kAgentParentGone);
    if (errno != EINTR && errno != EAGAIN && errno != ENOMEM) return false;
  }
  LetWatchdogIn(false);
  // The client stored request and path before releasing the wait.
  std::atomic_thread_fence(std::memory_order_seq_cst);
  return true;
}

}  // namespace

int RunAgent(int argc, char* argv[]) {
  startParent = getppid();
  if (!InstallWatchdog()) return kAgentFailure;
  LetWatchdogIn(false);
  WatchParent();
  int shmId = 0;
  if (argc < 2 || !ParseSegmentId(argv[1], &shmId)) return kAgentFailure;
  void* address = shmat(shmId, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return kAgentFailure;
  struct shmid_ds info = {};
  if (shmctl(shmId, IPC_STAT, &info) != 0 || info.shm_segsz < QOAGENT_SEGMENT_MIN_SIZE) {
    return kAgentFailure;
  }
  if (ClientGoneAtStart(info)) return kAgentParentGone;
  const std::size_t segmentSize = info.shm_segsz;
  auto& segment = *static_cast<AgentSegment*>(address);

  if (SetSemaphore(segment, kReplySemaphore, 1) != 0) return kAgentFailure;
  if (!ResetRequestSemaphore(segment)) return kAgentFailure;

  alarm(kWatchdogSeconds);
  for (;;) {
    if (!WaitForRequest(segment)) return kAgentFailure;
    if (ServeRequest(segment, segmentSize) == RequestOutcome::kUnlisted) return kAgentFailure;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    // A failed reply post is not retried: the client's own timeout covers it.
    (void)SetSemaphore(segment, kReplySemaphore, 1);
    if (!ResetRequestSemaphore(segment)) return kAgentFailure;
  }
}

}  // namespace qokit::agent
