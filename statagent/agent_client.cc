#include "agent_client.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include <spawn.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

struct AgentClient {
  int shmId = -1;
  int semId = -1;
  AgentSegment* segment = nullptr;
  size_t segmentSize = 0;
  pid_t pid = -1;
  bool ended = false;
  int exitStatus = -1;
  int timeoutMs = AGENT_CLIENT_DEFAULT_TIMEOUT_MS;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned short kReplySemaphore = 1;

// The caller defines the argument of semctl.
union semun {
  int val;
  struct semid_ds* buf;
  unsigned short* array;
};

// How long one semaphore wait lasts before the client looks whether the
// agent is still alive; a reply ends the wait at once regardless.
constexpr auto kLivenessSlice = std::chrono::milliseconds(20);

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// True once the agent has ended; its status is kept when it was ours to reap.
bool AgentEnded(AgentClient& client) {
  if (client.ended) return true;
  int status = 0;
  const pid_t reaped = waitpid(client.pid, &status, WNOHANG);
  if (reaped == 0) return false;
  client.ended = true;
  if (reaped == client.pid) client.exitStatus = DecodeStatus(status);
  return true;
}

// Waits until the reply semaphore is 1 and leaves it at 1: the agent is
// ready, or has stored its reply.
int AwaitReplySemaphore(AgentClient& client) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(client.timeoutMs);
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left > Clock::duration::zero()) {
      const auto slice = std::chrono::duration_cast<std::chrono::nanoseconds>(
          std::min<Clock::duration>(kLivenessSlice, left));
      struct timespec wait = {static_cast<time_t>(slice.count() / 1000000000),
                              static_cast<long>(slice.count() % 1000000000)};
      struct sembuf ops[2] = {{kReplySemaphore, -1, 0}, {kReplySemaphore, 1, 0}};
      if (semtimedop(client.semId, ops, 2, &wait) == 0) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        return AGENT_CLIENT_OK;
      }
      if (errno != EAGAIN && errno != EINTR) return AGENT_CLIENT_IPC_FAILED;
    }
    if (AgentEnded(client)) return AGENT_CLIENT_AGENT_ENDED;
    if (Clock::now() >= deadline) return AGENT_CLIENT_TIMEOUT;
  }
}

// True when the agent is waiting for a request (no reply outstanding).
bool ReplySemaphoreRaised(const AgentClient& client) {
  struct sembuf ops[2] = {{kReplySemaphore, -1, IPC_NOWAIT}, {kReplySemaphore, 1, 0}};
  return semop(client.semId, ops, 2) == 0;
}

// One round trip. The path, when given, has been checked to fit.
int Exchange(AgentClient& client, int32_t request, const char* path, size_t pathLength) {
  if (AgentEnded(client)) return AGENT_CLIENT_AGENT_ENDED;
  // Only the agent raises the reply semaphore and only the client lowers it,
  // so once it is seen raised the agent keeps off the segment until released.
  if (!ReplySemaphoreRaised(client)) {
    return errno == EAGAIN ? AGENT_CLIENT_NOT_READY : AGENT_CLIENT_IPC_FAILED;
  }
  if (path != nullptr) {
    std::memcpy(client.segment->path, path, pathLength + 1);
  }
  client.segment->request = request;
  std::atomic_thread_fence(std::memory_order_seq_cst);
  struct sembuf release = {kReplySemaphore, -1, IPC_NOWAIT};
  if (semop(client.semId, &release, 1) != 0) return AGENT_CLIENT_IPC_FAILED;
  return AwaitReplySemaphore(client);
}

int StartAgent(AgentClient& client, const char* agentPath) {
  char id[24];
  std::snprintf(id, sizeof id, "%d", client.shmId);
  char* const argv[] = {const_cast<char*>(agentPath), id, nullptr};

  // The agent's watchdog needs SIGALRM delivered, whatever this process blocks.
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return AGENT_CLIENT_NO_MEMORY;
  sigset_t none;
  sigset_t alarmOnly;
  sigemptyset(&none);
  sigemptyset(&alarmOnly);
  sigaddset(&alarmOnly, SIGALRM);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &alarmOnly);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int failure = posix_spawn(&client.pid, agentPath, nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) {
    client.pid = -1;
    errno = failure;
    return AGENT_CLIENT_START_FAILED;
  }
  return AGENT_CLIENT_OK;
}

// Builds the segment, the set and the agent; leaves partial work for Teardown.
int Setup(AgentClient& client, const AgentClientOptions& options) {
  client.shmId = shmget(IPC_PRIVATE, client.segmentSize, IPC_CREAT | IPC_EXCL | 0600);
  if (client.shmId < 0) return AGENT_CLIENT_IPC_FAILED;
  void* address = shmat(client.shmId, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return AGENT_CLIENT_IPC_FAILED;
  client.segment = static_cast<AgentSegment*>(address);
  client.semId = semget(IPC_PRIVATE, 2, IPC_CREAT | IPC_EXCL | 0600);
  if (client.semId < 0) return AGENT_CLIENT_IPC_FAILED;
  unsigned short zeros[2] = {0, 0};
  union semun argument = {};
  argument.array = zeros;
  if (semctl(client.semId, 0, SETALL, argument) != 0) return AGENT_CLIENT_IPC_FAILED;

  std::memset(client.segment, 0, client.segmentSize);
  client.segment->semId = client.semId;
  client.segment->waitOp = {kReplySemaphore, 0, 0};
  std::atomic_thread_fence(std::memory_order_seq_cst);

  const int started = StartAgent(client, options.agentPath);
  if (started != AGENT_CLIENT_OK) return started;
  return AwaitReplySemaphore(client);
}

// Ends the agent before removing the set, so it never spins on a removed set.
int Teardown(AgentClient* client) {
  int result = AGENT_CLIENT_OK;
  if (client->pid > 0 && !client->ended) {
    kill(client->pid, SIGKILL);
    int status = 0;
    while (waitpid(client->pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (client->semId >= 0 && semctl(client->semId, 0, IPC_RMID) != 0) {
    result = AGENT_CLIENT_IPC_FAILED;
  }
  if (client->segment != nullptr) shmdt(client->segment);
  if (client->shmId >= 0 && shmctl(client->shmId, IPC_RMID, nullptr) != 0) {
    result = AGENT_CLIENT_IPC_FAILED;
  }
  delete client;
  return result;
}

}  // namespace

extern "C" {

int agentClientOpen(const AgentClientOptions* options, AgentClient** client) {
  if (client == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  *client = nullptr;
  if (options == nullptr || options->agentPath == nullptr || options->timeoutMs < 0) {
    return AGENT_CLIENT_BAD_ARGUMENT;
  }
  const size_t size =
      options->segmentSize == 0 ? AGENT_CLIENT_DEFAULT_SEGMENT_SIZE : options->segmentSize;
  if (size < AGENT_SEGMENT_MIN_SIZE) return AGENT_CLIENT_BAD_ARGUMENT;

  auto* made = new (std::nothrow) AgentClient;
  if (made == nullptr) return AGENT_CLIENT_NO_MEMORY;
  made->segmentSize = size;
  if (options->timeoutMs > 0) made->timeoutMs = options->timeoutMs;

  const int result = Setup(*made, *options);
  if (result != AGENT_CLIENT_OK) {
    const int setupErrno = errno;
    (void)Teardown(made);
    errno = setupErrno;
    return result;
  }
  *client = made;
  return AGENT_CLIENT_OK;
}

int agentClientRequest(AgentClient* client, int32_t request, const char* path,
                       AgentReply* reply) {
  if (client == nullptr || path == nullptr || reply == nullptr) {
    return AGENT_CLIENT_BAD_ARGUMENT;
  }
  const size_t length = std::strlen(path);
  if (length >= client->segmentSize - offsetof(AgentSegment, path)) {
    return AGENT_CLIENT_PATH_TOO_LONG;
  }
  const int result = Exchange(*client, request, path, length);
  if (result != AGENT_CLIENT_OK) return result;
  reply->result = client->segment->result;
  reply->errNum = client->segment->errNum;
  std::memcpy(&reply->record, &client->segment->statBuf, sizeof reply->record);
  return AGENT_CLIENT_OK;
}

int agentClientPost(AgentClient* client, int32_t request) {
  if (client == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  return Exchange(*client, request, nullptr, 0);
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

int agentClientExitStatus(const AgentClient* client) {
  return client == nullptr ? -1 : client->exitStatus;
}

int agentClientClose(AgentClient* client) {
  if (client == nullptr) return AGENT_CLIENT_OK;
  return Teardown(client);
}

}  // extern "C"
