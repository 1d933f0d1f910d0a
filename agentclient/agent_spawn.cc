#include "agent_spawn.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

extern char** environ;

namespace qokit::agent {
namespace {

// The child runs on a stack of its own in the parent's memory until exec;
// it needs little, as it makes system calls only.
constexpr std::size_t kChildStackSize = 64 * 1024;

// The size of the kernel's signal set (64 signals; 128 on MIPS).
constexpr unsigned long kKernelSigsetSize = (NSIG - 1) / 8;

struct ChildPlan {
  const char* program;
  char* const* argv;
  char* const* envp;
  bool keepIgnored[NSIG];  // ignored by the caller: stays so, as exec would leave it
  int execErrno;           // written by the child when exec fails
};

// Runs in the child, which shares the parent's memory (the parent waits
// until the exec) but has its own descriptors and signal dispositions. Only
// raw system calls: no library state of the parent, and nothing a sanitizer
// intercepts, may be touched from here.
__attribute__((no_sanitize("address", "thread", "undefined"))) int RunChild(void* raw) {
  auto* plan = static_cast<ChildPlan*>(raw);
  // All zero is SIG_DFL with no flags and an empty mask, whatever the
  // layout of the kernel's sigaction.
  const unsigned long toDefault[8] = {};
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal == SIGKILL || signal == SIGSTOP || plan->keepIgnored[signal]) continue;
    syscall(SYS_rt_sigaction, signal, toDefault, nullptr, kKernelSigsetSize);
  }
  syscall(SYS_setpgid, 0, 0);
  if (syscall(SYS_close_range, 0u, ~0u, 0u) != 0) {
    struct rlimit limit = {1024, 1024};
    syscall(SYS_prlimit64, 0, RLIMIT_NOFILE, nullptr, &limit);
    for (rlim_t fd = 0; fd < limit.rlim_cur && fd < INT_MAX; ++fd) syscall(SYS_close, fd);
  }
  // Descriptor 0, as all are closed; without /dev/null (a bare chroot) the
  // agent runs with none, which it does not need.
  if (syscall(SYS_openat, AT_FDCWD, "/dev/null", O_RDWR) == 0) {
    syscall(SYS_dup3, 0, 1, 0);
    syscall(SYS_dup3, 0, 2, 0);
  }
  syscall(SYS_chdir, "/");
  const unsigned long noneBlocked[2] = {};
  syscall(SYS_rt_sigprocmask, SIG_SETMASK, noneBlocked, nullptr, kKernelSigsetSize);
  syscall(SYS_execve, plan->program, plan->argv, plan->envp);
  plan->execErrno = errno;
  syscall(SYS_exit_group, 127);
  return 127;
}

}  // namespace

int SpawnAgent(const char* program, int shmId, SpawnedAgent* out) {
  char id[24];
  std::snprintf(id, sizeof id, "%d", shmId);
  char* const argv[] = {const_cast<char*>(program), id, nullptr};
  ChildPlan plan = {program, argv, environ, {}, 0};
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action = {};
    plan.keepIgnored[signal] = signal != SIGALRM && sigaction(signal, nullptr, &action) == 0 &&
                               action.sa_handler == SIG_IGN;
  }

  void* stack = mmap(nullptr, kChildStackSize, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (stack == MAP_FAILED) return errno;
  // No handler of this process may run in the child before its dispositions
  // are reset; the child inherits this mask and sets its own before exec.
  sigset_t all;
  sigset_t before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  int pidfd = -1;
  const pid_t pid = clone(RunChild, static_cast<char*>(stack) + kChildStackSize,
                          CLONE_VM | CLONE_VFORK | CLONE_PIDFD | SIGCHLD, &plan, &pidfd);
  const int cloneErrno = errno;
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  munmap(stack, kChildStackSize);
  if (pid < 0) return cloneErrno;
  if (plan.execErrno != 0) {
    // The child has ended; it is reaped here unless the host ignores SIGCHLD.
    siginfo_t info = {};
    waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info, WEXITED);
    close(pidfd);
    return plan.execErrno;
  }
  out->pid = pid;
  out->pidfd = pidfd;
  return 0;
}

}  // namespace qokit::agent
