#include "agent_client.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

enum class State {
  kIdle,     // the agent waits for a request
  kSent,     // a request is out, its reply not yet received
  kStale,    // a reply timed out; the agent may still answer it
  kNoAgent,  // no agent runs (it ended, or a restart failed)
};

}  // namespace

struct AgentClient {
  std::string agentPath;  // absolute, so that restarts find it after a chdir
  size_t segmentSize = 0;
  int timeoutMs = AGENT_CLIENT_DEFAULT_TIMEOUT_MS;
  int closeTimeoutMs = AGENT_CLIENT_DEFAULT_CLOSE_TIMEOUT_MS;
  unsigned flags = 0;
  unsigned forkGeneration = 0;  // of the process that opened the client
  pid_t owner = -1;

  int shmId = -1;
  int semId = -1;
  AgentSegment* segment = nullptr;
  pid_t pid = -1;
  int pidfd = -1;
  State state = State::kNoAgent;
  Clock::time_point sentAt;
  int exitStatus = -1;
  unsigned restarts = 0;
};

namespace {

constexpr unsigned short kReplySemaphore = AGENT_CLIENT_SEM_REPLY;
// Posted by the client, taken by the agent's wait; the agent never resets it,
// so no post can be lost.
constexpr unsigned short kWakeSemaphore = AGENT_CLIENT_SEM_WAKE;
// The set's extra semaphores that let a later open recognise the sets of
// killed clients: a tag, then the creator's process identifier in two
// halves (a semaphore holds at most 32767).
constexpr int kSetSize = AGENT_CLIENT_SET_SIZE;
constexpr unsigned short kTagSemaphore = AGENT_CLIENT_SEM_TAG;
constexpr unsigned short kPidHighSemaphore = AGENT_CLIENT_SEM_PID_HIGH;
constexpr unsigned short kPidLowSemaphore = AGENT_CLIENT_SEM_PID_LOW;
constexpr unsigned short kTag = AGENT_CLIENT_SET_TAG;
constexpr int kPidBits = 15;

// How long one semaphore wait lasts before the client looks whether the
// agent is still alive; a reply ends the wait at once regardless.
constexpr auto kLivenessSlice = std::chrono::milliseconds(20);

// Bumped in every child made by fork, so a client can tell cheaply that it
// is a copy in a process other than its owner.
std::atomic<unsigned> forkGeneration{0};

// Agents that did not die within a close timeout: still our children, to be
// reaped by a later call. A full table leaves the rest to the host's end.
std::mutex abandonedLock;
std::array<int, 64> abandoned = [] {
  std::array<int, 64> none{};
  none.fill(-1);
  return none;
}();

void BeforeFork() { abandonedLock.lock(); }
void AfterForkInParent() { abandonedLock.unlock(); }
void AfterForkInChild() {
  forkGeneration.fetch_add(1, std::memory_order_relaxed);
  abandonedLock.unlock();
}

void RegisterForkHandlers() {
  static const bool registered =
      pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild) == 0;
  (void)registered;
}

void CollectAbandoned() {
  std::lock_guard<std::mutex> hold(abandonedLock);
  for (int& fd : abandoned) {
    if (fd < 0) continue;
    siginfo_t info = {};
    const int waited = waitid(P_PIDFD, static_cast<id_t>(fd), &info, WEXITED | WNOHANG);
    if ((waited == 0 && info.si_pid != 0) || (waited != 0 && errno == ECHILD)) {
      close(fd);
      fd = -1;
    }
  }
}

void Abandon(int pidfd) {
  std::lock_guard<std::mutex> hold(abandonedLock);
  for (int& fd : abandoned) {
    if (fd < 0) {
      fd = pidfd;
      return;
    }
  }
  close(pidfd);
}

// Made directly: not every C library declares these for C++, or at all.
int PidfdOpen(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }
int PidfdKill(int pidfd) {
  return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0));
}

int DecodeStatus(const siginfo_t& info) {
  if (info.si_code == CLD_EXITED) return info.si_status;
  if (info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED) return 128 + info.si_status;
  return -1;
}

// True once the agent has ended; its status is kept when it was ours to reap
// (not when the host's own wait took it first).
bool AgentEnded(AgentClient& client) {
  if (client.pidfd < 0) return true;
  struct pollfd ended = {client.pidfd, POLLIN, 0};
  if (poll(&ended, 1, 0) != 1) return false;
  siginfo_t info = {};
  if (waitid(P_PIDFD, static_cast<id_t>(client.pidfd), &info, WEXITED | WNOHANG) == 0 &&
      info.si_pid != 0) {
    client.exitStatus = DecodeStatus(info);
  }
  close(client.pidfd);
  client.pidfd = -1;
  client.state = State::kNoAgent;
  return true;
}

// Waits until the reply semaphore is 1 and takes it: the agent is ready, or
// has stored its reply.
int AwaitReplySemaphore(AgentClient& client, Clock::time_point deadline) {
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left > Clock::duration::zero()) {
      const auto slice = std::chrono::duration_cast<std::chrono::nanoseconds>(
          std::min<Clock::duration>(kLivenessSlice, left));
      struct timespec wait = {static_cast<time_t>(slice.count() / 1000000000),
                              static_cast<long>(slice.count() % 1000000000)};
      struct sembuf take = {kReplySemaphore, -1, 0};
      if (semtimedop(client.semId, &take, 1, &wait) == 0) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        return AGENT_CLIENT_OK;
      }
      if (errno != EAGAIN && errno != EINTR) return AGENT_CLIENT_IPC_FAILED;
    }
    if (AgentEnded(client)) return AGENT_CLIENT_AGENT_ENDED;
    if (Clock::now() >= deadline) return AGENT_CLIENT_TIMEOUT;
  }
}

// True when a late reply has come in (it is taken) and the agent waits again.
bool TakeLateReply(const AgentClient& client) {
  struct sembuf take = {kReplySemaphore, -1, IPC_NOWAIT};
  return semop(client.semId, &take, 1) == 0;
}

bool ProcessGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the sets of clients of this library whose creating process has
// gone (killed before it could close) and whose agent has ended too. Sets
// of other programs and of other users are not looked at beyond their size,
// owner and tag.
void SweepDeadClientSets() {
  struct seminfo limits = {};
  AgentSemun argument = {};
  argument.info = &limits;
  const int highestIndex = semctl(0, 0, SEM_INFO, argument);
  const uid_t me = geteuid();
  for (int index = 0; index <= highestIndex; ++index) {
    struct semid_ds info = {};
    argument.buf = &info;
    const int id = semctl(index, 0, SEM_STAT, argument);
    if (id < 0 || info.sem_nsems != kSetSize || info.sem_perm.uid != me ||
        info.sem_perm.__key != IPC_PRIVATE) {
      continue;
    }
    unsigned short values[kSetSize] = {};
    argument.array = values;
    if (semctl(id, 0, GETALL, argument) != 0 || values[kTagSemaphore] != kTag) continue;
    const pid_t creator =
        static_cast<pid_t>((values[kPidHighSemaphore] << kPidBits) | values[kPidLowSemaphore]);
    if (creator <= 0 || !ProcessGone(creator)) continue;
    // The agent resets semaphore 0 after every reply, which leaves its
    // identifier there; one still alive ends by itself (and then its set is
    // left for the next sweep) rather than on a set removed under it.
    const int lastUser = semctl(id, 0, GETPID);
    if (lastUser > 0 && lastUser != creator && !ProcessGone(lastUser)) continue;
    semctl(id, 0, IPC_RMID);
  }
}

int Spawn(AgentClient& client) {
  char id[24];
  std::snprintf(id, sizeof id, "%d", client.shmId);
  char* const argv[] = {client.agentPath.data(), id, nullptr};

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return AGENT_CLIENT_NO_MEMORY;
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return AGENT_CLIENT_NO_MEMORY;
  }
  // Descriptors the host left inheritable would otherwise stay open in the
  // agent (a pipe would never see end-of-file).
  int failure = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (failure == 0) failure = posix_spawn_file_actions_addchdir_np(&actions, "/");
  // The agent's watchdog needs SIGALRM delivered, whatever this process blocks.
  sigset_t none;
  sigset_t alarmOnly;
  sigemptyset(&none);
  sigemptyset(&alarmOnly);
  sigaddset(&alarmOnly, SIGALRM);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &alarmOnly);
  // A group of its own: signals for the host's group (Ctrl-C) pass it by.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  if (failure == 0) {
    failure = posix_spawn(&client.pid, client.agentPath.c_str(), &actions, &attributes, argv,
                          environ);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) {
    client.pid = -1;
    errno = failure;
    return AGENT_CLIENT_START_FAILED;
  }
  // Taken at once: the agent cannot have ended and been reaped by the host in
  // between, since it first has to attach and report ready.
  client.pidfd = PidfdOpen(client.pid);
  if (client.pidfd < 0) {
    const int openErrno = errno;
    kill(client.pid, SIGKILL);
    waitpid(client.pid, nullptr, 0);
    client.pid = -1;
    errno = openErrno;
    return AGENT_CLIENT_START_FAILED;
  }
  return AGENT_CLIENT_OK;
}

// Builds the segment, the set and the agent; leaves partial work for
// StopAgent.
int StartAgent(AgentClient& client) {
  client.shmId = shmget(IPC_PRIVATE, client.segmentSize, IPC_CREAT | IPC_EXCL | 0600);
  if (client.shmId < 0) return AGENT_CLIENT_IPC_FAILED;
  void* address = shmat(client.shmId, nullptr, 0);
  const bool attached = address != reinterpret_cast<void*>(-1);
  // Marked at once, it ends with the last process attached (this one or the
  // agent) even if this one is killed; Linux still lets the agent attach it.
  if (shmctl(client.shmId, IPC_RMID, nullptr) != 0 || !attached) return AGENT_CLIENT_IPC_FAILED;
  client.segment = static_cast<AgentSegment*>(address);

  client.semId = semget(IPC_PRIVATE, kSetSize, IPC_CREAT | IPC_EXCL | 0600);
  if (client.semId < 0) return AGENT_CLIENT_IPC_FAILED;
  const pid_t self = getpid();
  unsigned short values[kSetSize] = {};
  values[kTagSemaphore] = kTag;
  values[kPidHighSemaphore] = static_cast<unsigned short>(self >> kPidBits);
  values[kPidLowSemaphore] = static_cast<unsigned short>(self & ((1 << kPidBits) - 1));
  AgentSemun argument = {};
  argument.array = values;
  if (semctl(client.semId, 0, SETALL, argument) != 0) return AGENT_CLIENT_IPC_FAILED;

  std::memset(client.segment, 0, client.segmentSize);
  client.segment->semId = client.semId;
  client.segment->waitOp = {kWakeSemaphore, -1, 0};
  std::atomic_thread_fence(std::memory_order_seq_cst);

  const int started = Spawn(client);
  if (started != AGENT_CLIENT_OK) return started;
  const int ready =
      AwaitReplySemaphore(client, Clock::now() + std::chrono::milliseconds(client.timeoutMs));
  if (ready == AGENT_CLIENT_OK) client.state = State::kIdle;
  return ready;
}

// Kills the agent (never a process that merely took over its identifier),
// waits for it within the close timeout, then removes the set and the
// segment: a surviving agent has SIGKILL pending and cannot serve again.
int StopAgent(AgentClient& client) {
  int result = AGENT_CLIENT_OK;
  if (client.pidfd >= 0) {
    PidfdKill(client.pidfd);
    struct pollfd ended = {client.pidfd, POLLIN, 0};
    int polled;
    while ((polled = poll(&ended, 1, client.closeTimeoutMs)) < 0 && errno == EINTR) {
    }
    if (polled == 1) {
      siginfo_t info = {};
      waitid(P_PIDFD, static_cast<id_t>(client.pidfd), &info, WEXITED | WNOHANG);
      close(client.pidfd);
    } else {
      Abandon(client.pidfd);
      result = AGENT_CLIENT_ABANDONED;
    }
    client.pidfd = -1;
  }
  if (client.semId >= 0 && semctl(client.semId, 0, IPC_RMID) != 0 &&
      result == AGENT_CLIENT_OK) {
    result = AGENT_CLIENT_IPC_FAILED;
  }
  if (client.segment != nullptr) shmdt(client.segment);
  client.semId = -1;
  client.shmId = -1;
  client.segment = nullptr;
  client.pid = -1;
  client.state = State::kNoAgent;
  return result;
}

// Replaces the agent by a fresh one; on failure the client has none and the
// next send tries again.
int Restart(AgentClient& client) {
  (void)StopAgent(client);
  CollectAbandoned();
  ++client.restarts;
  const int started = StartAgent(client);
  if (started != AGENT_CLIENT_OK) (void)StopAgent(client);
  return started;
}

bool CopyIsForeign(const AgentClient& client) {
  return client.forkGeneration != forkGeneration.load(std::memory_order_relaxed);
}

// Makes the client ready for a new request: collects a late reply, or
// replaces an agent that is gone when restarts are wanted.
int PrepareToSend(AgentClient& client) {
  if (CopyIsForeign(client)) return AGENT_CLIENT_NOT_OWNER;
  switch (client.state) {
    case State::kIdle:
      return AGENT_CLIENT_OK;
    case State::kSent:
      return AGENT_CLIENT_NOT_READY;
    case State::kStale:
      if (TakeLateReply(client)) {
        client.state = State::kIdle;
        return AGENT_CLIENT_OK;
      }
      if (errno != EAGAIN) return AGENT_CLIENT_IPC_FAILED;
      return AgentEnded(client) ? AGENT_CLIENT_AGENT_ENDED : AGENT_CLIENT_NOT_READY;
    case State::kNoAgent:
      break;
  }
  if ((client.flags & AGENT_CLIENT_RESTART) == 0) return AGENT_CLIENT_AGENT_ENDED;
  return Restart(client);
}

// Stores the request and releases the agent; the path (prefix and path),
// when given, fits.
int Release(AgentClient& client, int32_t request, const char* path, size_t pathLength,
            const char* prefix, size_t prefixLength) {
  if (path != nullptr) {
    std::memcpy(client.segment->path, prefix, prefixLength);
    std::memcpy(client.segment->path + prefixLength, path, pathLength + 1);
  }
  client.segment->request = request;
  std::atomic_thread_fence(std::memory_order_seq_cst);
  struct sembuf wake = {kWakeSemaphore, 1, 0};
  if (semop(client.semId, &wake, 1) != 0) return AGENT_CLIENT_IPC_FAILED;
  client.state = State::kSent;
  client.sentAt = Clock::now();
  return AGENT_CLIENT_OK;
}

int Receive(AgentClient& client) {
  if (CopyIsForeign(client)) return AGENT_CLIENT_NOT_OWNER;
  if (client.state != State::kSent) return AGENT_CLIENT_BAD_ARGUMENT;
  const int result =
      AwaitReplySemaphore(client, client.sentAt + std::chrono::milliseconds(client.timeoutMs));
  if (result == AGENT_CLIENT_OK) {
    client.state = State::kIdle;
    return result;
  }
  if (result == AGENT_CLIENT_TIMEOUT) client.state = State::kStale;
  if ((result == AGENT_CLIENT_TIMEOUT || result == AGENT_CLIENT_AGENT_ENDED) &&
      (client.flags & AGENT_CLIENT_RESTART) != 0) {
    (void)Restart(client);
  }
  return result;
}

// Frees the client; the owner ends its agent first.
int Free(AgentClient* client) {
  int result = AGENT_CLIENT_OK;
  if (CopyIsForeign(*client) || client->owner != getpid()) {
    if (client->segment != nullptr) shmdt(client->segment);
    if (client->pidfd >= 0) close(client->pidfd);
  } else {
    result = StopAgent(*client);
    CollectAbandoned();
  }
  delete client;
  return result;
}

}  // namespace

extern "C" {

int agentClientOpen(const AgentClientOptions* options, AgentClient** client) {
  if (client == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  *client = nullptr;
  if (options == nullptr || options->agentPath == nullptr || options->agentPath[0] == '\0' ||
      options->timeoutMs < 0 || options->closeTimeoutMs < 0) {
    return AGENT_CLIENT_BAD_ARGUMENT;
  }
  const size_t size =
      options->segmentSize == 0 ? AGENT_CLIENT_DEFAULT_SEGMENT_SIZE : options->segmentSize;
  if (size < AGENT_SEGMENT_MIN_SIZE) return AGENT_CLIENT_BAD_ARGUMENT;
  RegisterForkHandlers();
  CollectAbandoned();
  SweepDeadClientSets();

  auto* made = new (std::nothrow) AgentClient;
  if (made == nullptr) return AGENT_CLIENT_NO_MEMORY;
  try {
    if (options->agentPath[0] != '/') {
      char cwd[PATH_MAX];
      if (getcwd(cwd, sizeof cwd) == nullptr) {
        delete made;
        return AGENT_CLIENT_START_FAILED;
      }
      made->agentPath = std::string(cwd) + "/" + options->agentPath;
    } else {
      made->agentPath = options->agentPath;
    }
  } catch (const std::bad_alloc&) {
    delete made;
    return AGENT_CLIENT_NO_MEMORY;
  }
  made->segmentSize = size;
  if (options->timeoutMs > 0) made->timeoutMs = options->timeoutMs;
  if (options->closeTimeoutMs > 0) made->closeTimeoutMs = options->closeTimeoutMs;
  made->flags = options->flags;
  made->forkGeneration = forkGeneration.load(std::memory_order_relaxed);
  made->owner = getpid();

  const int result = StartAgent(*made);
  if (result != AGENT_CLIENT_OK) {
    const int setupErrno = errno;
    (void)Free(made);
    errno = setupErrno;
    return result;
  }
  *client = made;
  return AGENT_CLIENT_OK;
}

int agentClientSend(AgentClient* client, int32_t request, const char* path) {
  if (client == nullptr || path == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const size_t length = std::strlen(path);
  // A relative path means what it would mean to the caller now; the agent
  // itself works in "/".
  char prefix[PATH_MAX + 1];
  size_t prefixLength = 0;
  if (path[0] != '/' && path[0] != '\0') {
    if (getcwd(prefix, PATH_MAX) == nullptr) return AGENT_CLIENT_PATH_TOO_LONG;
    prefixLength = std::strlen(prefix);
    if (prefix[prefixLength - 1] != '/') prefix[prefixLength++] = '/';
  }
  if (prefixLength + length >= client->segmentSize - offsetof(AgentSegment, path)) {
    return AGENT_CLIENT_PATH_TOO_LONG;
  }
  const int ready = PrepareToSend(*client);
  if (ready != AGENT_CLIENT_OK) return ready;
  return Release(*client, request, path, length, prefix, prefixLength);
}

int agentClientReceive(AgentClient* client, AgentReply* reply) {
  if (client == nullptr || reply == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int result = Receive(*client);
  if (result != AGENT_CLIENT_OK) return result;
  reply->result = client->segment->result;
  reply->errNum = client->segment->errNum;
  std::memcpy(&reply->record, &client->segment->statBuf, sizeof reply->record);
  return AGENT_CLIENT_OK;
}

int agentClientRequest(AgentClient* client, int32_t request, const char* path,
                       AgentReply* reply) {
  if (reply == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int sent = agentClientSend(client, request, path);
  if (sent != AGENT_CLIENT_OK) return sent;
  return agentClientReceive(client, reply);
}

int agentClientPost(AgentClient* client, int32_t request) {
  if (client == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int ready = PrepareToSend(*client);
  if (ready != AGENT_CLIENT_OK) return ready;
  const int sent = Release(*client, request, nullptr, 0, nullptr, 0);
  if (sent != AGENT_CLIENT_OK) return sent;
  return Receive(*client);
}

AgentSegment* agentClientSegment(AgentClient* client) {
  return client == nullptr ? nullptr : client->segment;
}

size_t agentClientSegmentSize(const AgentClient* client) {
  return client == nullptr ? 0 : client->segmentSize;
}

int agentClientShmId(const AgentClient* client) { return client == nullptr ? -1 : client->shmId; }

int agentClientSemId(const AgentClient* client) { return client == nullptr ? -1 : client->semId; }

pid_t agentClientPid(const AgentClient* client) { return client == nullptr ? -1 : client->pid; }

unsigned agentClientRestarts(const AgentClient* client) {
  return client == nullptr ? 0 : client->restarts;
}

int agentClientExitStatus(const AgentClient* client) {
  return client == nullptr ? -1 : client->exitStatus;
}

int agentClientClose(AgentClient* client) {
  if (client == nullptr) return AGENT_CLIENT_OK;
  return Free(client);
}

}  // extern "C"
