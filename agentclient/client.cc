#include "client.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

#include "client_set.h"
#include "agent_spawn.h"

namespace qokit::agent {
namespace {

// How long one semaphore wait lasts before the client looks whether the
// agent is still alive; a reply ends the wait at once regardless.
constexpr Nanos kLivenessSlice = 20 * kNanosPerMs;

// True once the agent has ended; its status is kept when it was ours to reap
// (not when the host's own wait took it first).
bool AgentEnded(Client& client) {
  if (client.pidfd < 0) return true;
  if (!AgentHasEnded(client.pidfd, &client.exitStatus)) return false;
  close(client.pidfd);
  client.pidfd = -1;
  client.state = ClientState::kNoAgent;
  return true;
}

// Waits until the reply semaphore is 1 and takes it: the agent is ready, or
// has stored its reply.
int AwaitReply(Client& client, Nanos deadline) {
  for (;;) {
    const Nanos left = deadline - Now();
    if (left > 0) {
      const struct timespec slice = ToTimespec(std::min(kLivenessSlice, left));
      struct sembuf take = {kReplySemaphore, -1, 0};
      if (semtimedop(client.semId, &take, 1, &slice) == 0) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        return QOAGENT_OK;
      }
      if (errno != EAGAIN && errno != EINTR) return QOAGENT_ERR_IPC;
    }
    if (AgentEnded(client)) return QOAGENT_ERR_AGENT_ENDED;
    if (Now() >= deadline) return QOAGENT_ERR_TIMEOUT;
  }
}

// True when a late reply has come in (it is taken) and the agent waits again.
bool TakeLateReply(const Client& client) {
  struct sembuf take = {kReplySemaphore, -1, IPC_NOWAIT};
  return semop(client.semId, &take, 1) == 0;
}

// Builds the segment, the set and the agent; leaves partial work for
// StopAgent. The start's bound runs from here.
int StartAgent(Client& client) {
  const Nanos deadline = After(client.timeoutMs);
  if (!client.spare) client.spare.reset(new (std::nothrow) AbandonedAgent);
  if (!client.spare) return QOAGENT_ERR_NOMEM;
  client.shmId = shmget(IPC_PRIVATE, client.segmentSize, IPC_CREAT | IPC_EXCL | 0600);
  if (client.shmId < 0) return QOAGENT_ERR_IPC;
  void* address = shmat(client.shmId, nullptr, 0);
  const bool attached = address != reinterpret_cast<void*>(-1);
  // Marked at once, it ends with the last process attached (this one or the
  // agent) even if this one is killed; Linux still lets the agent attach it.
  if (shmctl(client.shmId, IPC_RMID, nullptr) != 0 || !attached) return QOAGENT_ERR_IPC;
  client.segment = static_cast<AgentSegment*>(address);

  client.semId = CreateClientSet();
  if (client.semId < 0) return QOAGENT_ERR_IPC;
  std::memset(client.segment, 0, client.segmentSize);
  client.segment->semId = client.semId;
  client.segment->waitOp = {kWakeSemaphore, -1, 0};
  std::atomic_thread_fence(std::memory_order_seq_cst);

  SpawnedAgent agent;
  const int failure = SpawnAgent(client.agentPath.get(), client.shmId, &agent);
  if (failure != 0) {
    errno = failure;
    return QOAGENT_ERR_START;
  }
  client.pid = agent.pid;
  client.pidfd = agent.pidfd;
  const int ready = AwaitReply(client, deadline);
  if (ready == QOAGENT_OK) client.state = ClientState::kIdle;
  return ready;
}

// Kills the agent (never a process that merely took over its identifier)
// and removes the set, then waits for the agent within the close timeout: a
// surviving agent has SIGKILL pending and no set, and cannot serve again.
int StopAgent(Client& client) {
  const Nanos deadline = After(client.closeTimeoutMs);
  if (client.pidfd >= 0) KillAgent(client.pidfd);
  // Removed before the wait: where the kill cannot be sent (a tool that
  // lacks the call, such as valgrind) the agent ends by itself at its wait.
  int removeErrno = 0;
  if (client.semId >= 0 && semctl(client.semId, 0, IPC_RMID) != 0) removeErrno = errno;
  int result = removeErrno != 0 ? QOAGENT_ERR_IPC : QOAGENT_OK;
  if (client.pidfd >= 0) {
    if (AwaitAgentEnd(client.pidfd, deadline)) {
      close(client.pidfd);
    } else {
      client.spare->pidfd = client.pidfd;
      Abandon(client.spare.release());
      result = QOAGENT_ERR_ABANDONED;
    }
    client.pidfd = -1;
  }
  if (client.segment != nullptr) shmdt(client.segment);
  client.semId = -1;
  client.shmId = -1;
  client.segment = nullptr;
  client.pid = -1;
  client.state = ClientState::kNoAgent;
  if (result == QOAGENT_ERR_IPC) errno = removeErrno;
  return result;
}

// Replaces the agent by a fresh one; on failure the client has none and the
// next send tries again.
int Restart(Client& client) {
  (void)StopAgent(client);
  CollectAbandoned();
  ++client.restarts;
  const int started = StartAgent(client);
  if (started != QOAGENT_OK) {
    const int startErrno = errno;
    (void)StopAgent(client);
    errno = startErrno;
  }
  return started;
}

bool CopyIsForeign(const Client& client) { return client.forkGeneration != ForkGeneration(); }

// Makes the client ready for a new request: collects a late reply, or
// replaces an agent that is gone when restarts are wanted.
int PrepareToSend(Client& client) {
  if (CopyIsForeign(client)) return QOAGENT_ERR_NOT_OWNER;
  switch (client.state) {
    case ClientState::kIdle:
      return QOAGENT_OK;
    case ClientState::kSent:
      return QOAGENT_ERR_NOT_READY;
    case ClientState::kStale:
      if (TakeLateReply(client)) {
        client.state = ClientState::kIdle;
        return QOAGENT_OK;
      }
      if (errno != EAGAIN) return QOAGENT_ERR_IPC;
      return AgentEnded(client) ? QOAGENT_ERR_AGENT_ENDED : QOAGENT_ERR_NOT_READY;
    case ClientState::kNoAgent:
      break;
  }
  if ((client.flags & QOAGENT_RESTART) == 0) return QOAGENT_ERR_AGENT_ENDED;
  return Restart(client);
}

// Stores the request and releases the agent; the path (prefix and path),
// when given, fits.
int Release(Client& client, int32_t request, const char* path, std::size_t pathLength,
            const char* prefix, std::size_t prefixLength) {
  if (path != nullptr) {
    char* area = qoagent_segment_path(client.segment);
    std::memcpy(area, prefix, prefixLength);
    std::memcpy(area + prefixLength, path, pathLength + 1);
  }
  client.segment->request = request;
  std::atomic_thread_fence(std::memory_order_seq_cst);
  struct sembuf wake = {kWakeSemaphore, 1, 0};
  if (semop(client.semId, &wake, 1) != 0) return QOAGENT_ERR_IPC;
  client.state = ClientState::kSent;
  client.sentAt = Now();
  return QOAGENT_OK;
}

// The working directory into `out` (PATH_MAX bytes) with a trailing slash;
// its length, or a status code.
int WorkingDirectory(char* out, std::size_t* length) {
  if (getcwd(out, PATH_MAX - 1) == nullptr) {
    if (errno != ERANGE) return QOAGENT_ERR_SYSTEM;
    errno = ENAMETOOLONG;
    return QOAGENT_ERR_PATH_TOO_LONG;
  }
  *length = std::strlen(out);
  if (out[*length - 1] != '/') out[(*length)++] = '/';
  out[*length] = '\0';
  return QOAGENT_OK;
}

}  // namespace

int OpenClient(const qoagent_options& options, Client** out) {
  const std::size_t size =
      options.segment_size == 0 ? QOAGENT_DEFAULT_SEGMENT_SIZE : options.segment_size;
  if (options.agent_path == nullptr || options.agent_path[0] == '\0' || options.timeout_ms < 0 ||
      options.close_timeout_ms < 0 || size < QOAGENT_SEGMENT_MIN_SIZE) {
    return QOAGENT_ERR_ARGUMENT;
  }
  RegisterForkHandlers();
  CollectAbandoned();
  SweepDeadClientSets();

  auto made = std::make_unique<Client>();
  char cwd[PATH_MAX];
  std::size_t cwdLength = 0;
  if (options.agent_path[0] != '/') {
    const int found = WorkingDirectory(cwd, &cwdLength);
    if (found != QOAGENT_OK) return found == QOAGENT_ERR_PATH_TOO_LONG ? QOAGENT_ERR_SYSTEM : found;
  }
  const std::size_t length = std::strlen(options.agent_path);
  made->agentPath = std::make_unique<char[]>(cwdLength + length + 1);
  std::memcpy(made->agentPath.get(), cwd, cwdLength);
  std::memcpy(made->agentPath.get() + cwdLength, options.agent_path, length + 1);
  made->segmentSize = size;
  if (options.timeout_ms > 0) made->timeoutMs = options.timeout_ms;
  if (options.close_timeout_ms > 0) made->closeTimeoutMs = options.close_timeout_ms;
  made->flags = options.flags;
  made->forkGeneration = ForkGeneration();
  made->owner = getpid();

  const int result = StartAgent(*made);
  if (result != QOAGENT_OK) {
    const int setupErrno = errno;
    (void)CloseClient(made.release());
    errno = setupErrno;
    return result;
  }
  *out = made.release();
  return QOAGENT_OK;
}

int SendRequest(Client& client, int32_t request, const char* path) {
  const std::size_t length = std::strlen(path);
  // A relative path means what it would mean to the caller now; the agent
  // itself works in "/".
  char prefix[PATH_MAX];
  std::size_t prefixLength = 0;
  if (path[0] != '/' && path[0] != '\0') {
    const int found = WorkingDirectory(prefix, &prefixLength);
    if (found != QOAGENT_OK) return found;
  }
  if (prefixLength + length >= client.segmentSize - QOAGENT_PATH_OFFSET) {
    return QOAGENT_ERR_PATH_TOO_LONG;
  }
  const int ready = PrepareToSend(client);
  if (ready != QOAGENT_OK) return ready;
  return Release(client, request, path, length, prefix, prefixLength);
}

int ReceiveReply(Client& client, qoagent_reply* reply) {
  if (CopyIsForeign(client)) return QOAGENT_ERR_NOT_OWNER;
  if (client.state != ClientState::kSent) return QOAGENT_ERR_ARGUMENT;
  const int result = AwaitReply(client, client.sentAt + client.timeoutMs * kNanosPerMs);
  if (result == QOAGENT_OK) {
    client.state = ClientState::kIdle;
    if (reply != nullptr) {
      reply->result = client.segment->result;
      reply->err_num = client.segment->errNum;
      std::memcpy(&reply->record, &client.segment->statBuf, sizeof reply->record);
    }
    return result;
  }
  if (result == QOAGENT_ERR_TIMEOUT) client.state = ClientState::kStale;
  if ((result == QOAGENT_ERR_TIMEOUT || result == QOAGENT_ERR_AGENT_ENDED) &&
      (client.flags & QOAGENT_RESTART) != 0) {
    (void)Restart(client);
  }
  return result;
}

int PostRequest(Client& client, int32_t request) {
  const int ready = PrepareToSend(client);
  if (ready != QOAGENT_OK) return ready;
  const int sent = Release(client, request, nullptr, 0, nullptr, 0);
  if (sent != QOAGENT_OK) return sent;
  return ReceiveReply(client, nullptr);
}

int CloseClient(Client* client) {
  int result = QOAGENT_OK;
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

}  // namespace qokit::agent
