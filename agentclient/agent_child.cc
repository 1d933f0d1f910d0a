#include "agent_child.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace qokit::agent {
namespace {

std::atomic<unsigned> forkGeneration{0};

std::mutex abandonedLock;
AbandonedAgent* abandoned = nullptr;

void BeforeFork() { abandonedLock.lock(); }
void AfterForkInParent() { abandonedLock.unlock(); }
void AfterForkInChild() {
  forkGeneration.fetch_add(1, std::memory_order_relaxed);
  abandonedLock.unlock();
}

int DecodeStatus(const siginfo_t& info) {
  if (info.si_code == CLD_EXITED) return info.si_status;
  if (info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED) return 128 + info.si_status;
  return -1;
}

// Reaps an ended agent; false when it still runs. An agent that is not this
// process's child (ECHILD: reaped by the host, or a fork copy's) counts as
// reaped, with no status.
bool Reap(int pidfd, int* status) {
  siginfo_t info = {};
  const int waited =
      waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG);
  if (waited == 0 && info.si_pid == 0) return false;
  if (waited == 0 && status != nullptr) *status = DecodeStatus(info);
  return waited == 0 || errno == ECHILD;
}

}  // namespace

bool AgentHasEnded(int pidfd, int* status) {
  struct pollfd ended = {pidfd, POLLIN, 0};
  if (poll(&ended, 1, 0) != 1) return false;
  Reap(pidfd, status);
  return true;
}

void KillAgent(int pidfd) { syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0); }

bool AwaitAgentEnd(int pidfd, Nanos deadline) {
  for (;;) {
    struct pollfd ended = {pidfd, POLLIN, 0};
    const int polled = poll(&ended, 1, MsLeft(deadline));
    if (polled == 1) {
      Reap(pidfd, nullptr);
      return true;
    }
    if ((polled < 0 && errno != EINTR) || Now() >= deadline) return false;
  }
}

void Abandon(AbandonedAgent* agent) {
  std::lock_guard<std::mutex> hold(abandonedLock);
  agent->next = abandoned;
  abandoned = agent;
}

void CollectAbandoned() {
  std::lock_guard<std::mutex> hold(abandonedLock);
  for (AbandonedAgent** link = &abandoned; *link != nullptr;) {
    AbandonedAgent* agent = *link;
    if (!Reap(agent->pidfd, nullptr)) {
      link = &agent->next;
      continue;
    }
    close(agent->pidfd);
    *link = agent->next;
    delete agent;
  }
}

void RegisterForkHandlers() {
  static const bool registered =
      pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild) == 0;
  (void)registered;
}

unsigned ForkGeneration() { return forkGeneration.load(std::memory_order_relaxed); }

}  // namespace qokit::agent
