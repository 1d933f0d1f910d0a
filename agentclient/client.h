// One client of the status agent: its segment, its semaphore set and its
// agent, and the states a request passes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <sys/types.h>

#include "agent_child.h"
#include "deadline.h"
#include "qoagent.h"

namespace qokit::agent {

enum class ClientState {
  kIdle,     // the agent waits for a request
  kSent,     // a request is out, its reply not yet received
  kStale,    // a reply timed out; the agent may still answer it
  kNoAgent,  // no agent runs (it ended, or a restart failed)
};

struct Client {
  std::unique_ptr<char[]> agentPath;  // absolute, so that restarts find it after a chdir
  std::size_t segmentSize = 0;
  int timeoutMs = QOAGENT_DEFAULT_TIMEOUT_MS;
  int closeTimeoutMs = QOAGENT_DEFAULT_CLOSE_TIMEOUT_MS;
  unsigned flags = 0;
  unsigned forkGeneration = 0;  // of the process that opened the client
  pid_t owner = -1;

  int shmId = -1;
  int semId = -1;
  AgentSegment* segment = nullptr;
  pid_t pid = -1;
  int pidfd = -1;
  // Made before the agent starts, so that abandoning it needs no memory.
  std::unique_ptr<AbandonedAgent> spare;
  ClientState state = ClientState::kNoAgent;
  Nanos sentAt = 0;
  int exitStatus = -1;
  unsigned restarts = 0;
};

// The operations behind the qoagent_* functions, with their status codes;
// they may throw std::bad_alloc, which the C interface turns into a code.
int OpenClient(const qoagent_options& options, Client** out);
int SendRequest(Client& client, int32_t request, const char* path);
// The reply goes to `reply`, or stays in the segment when it is null.
int ReceiveReply(Client& client, qoagent_reply* reply);
int PostRequest(Client& client, int32_t request);
// Ends the agent (only the owner), frees the client.
int CloseClient(Client* client);

}  // namespace qokit::agent
