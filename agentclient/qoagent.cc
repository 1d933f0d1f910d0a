// The C interface of a single client: checks of the arguments, the handle
// and the exception guard around the operations of client.h.
#include "qoagent.h"

#include "c_boundary.h"
#include "client.h"

namespace {

using qokit::agent::Client;
using qokit::agent::Guarded;

// The handle is the client itself, a type C never sees completed.
Client* FromHandle(qoagent_client* client) { return reinterpret_cast<Client*>(client); }
const Client* FromHandle(const qoagent_client* client) {
  return reinterpret_cast<const Client*>(client);
}

}  // namespace

extern "C" {

const char* qoagent_version(void) { return QOKIT_VERSION; }

const char* qoagent_strerror(int code) {
  switch (code) {
    case QOAGENT_OK: return "success";
    case QOAGENT_ERR_ARGUMENT: return "bad argument";
    case QOAGENT_ERR_PATH_TOO_LONG: return "the path does not fit the segment";
    case QOAGENT_ERR_NOMEM: return "out of memory";
    case QOAGENT_ERR_IPC: return "a shared-memory or semaphore call failed";
    case QOAGENT_ERR_START: return "the agent program could not be started";
    case QOAGENT_ERR_TIMEOUT: return "no answer from the agent in time";
    case QOAGENT_ERR_AGENT_ENDED: return "the agent has ended";
    case QOAGENT_ERR_NOT_READY: return "a request is still outstanding";
    case QOAGENT_ERR_ABANDONED: return "the agent did not end in time and was left to end by itself";
    case QOAGENT_ERR_NOT_OWNER: return "the client belongs to another process";
    case QOAGENT_ERR_SYSTEM: return "a system call failed";
    default: return "unknown status code";
  }
}

int qoagent_open(const qoagent_options* options, qoagent_client** client) {
  if (client == nullptr) return QOAGENT_ERR_ARGUMENT;
  *client = nullptr;
  if (options == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int {
    Client* made = nullptr;
    const int result = qokit::agent::OpenClient(*options, &made);
    *client = reinterpret_cast<qoagent_client*>(made);
    return result;
  });
}

int qoagent_send(qoagent_client* client, int32_t request, const char* path) {
  if (client == nullptr || path == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int { return qokit::agent::SendRequest(*FromHandle(client), request, path); });
}

int qoagent_receive(qoagent_client* client, qoagent_reply* reply) {
  if (client == nullptr || reply == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int { return qokit::agent::ReceiveReply(*FromHandle(client), reply); });
}

int qoagent_request(qoagent_client* client, int32_t request, const char* path,
                    qoagent_reply* reply) {
  if (client == nullptr || path == nullptr || reply == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int {
    Client& self = *FromHandle(client);
    const int sent = qokit::agent::SendRequest(self, request, path);
    return sent != QOAGENT_OK ? sent : qokit::agent::ReceiveReply(self, reply);
  });
}

int qoagent_post(qoagent_client* client, int32_t request) {
  if (client == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int { return qokit::agent::PostRequest(*FromHandle(client), request); });
}

AgentSegment* qoagent_segment(qoagent_client* client) {
  return client == nullptr ? nullptr : FromHandle(client)->segment;
}

size_t qoagent_segment_size(const qoagent_client* client) {
  return client == nullptr ? 0 : FromHandle(client)->segmentSize;
}

int qoagent_shm_id(const qoagent_client* client) {
  return client == nullptr ? -1 : FromHandle(client)->shmId;
}

int qoagent_sem_id(const qoagent_client* client) {
  return client == nullptr ? -1 : FromHandle(client)->semId;
}

pid_t qoagent_pid(const qoagent_client* client) {
  return client == nullptr ? -1 : FromHandle(client)->pid;
}

unsigned qoagent_restarts(const qoagent_client* client) {
  return client == nullptr ? 0 : FromHandle(client)->restarts;
}

int qoagent_exit_status(const qoagent_client* client) {
  return client == nullptr ? -1 : FromHandle(client)->exitStatus;
}

int qoagent_close(qoagent_client* client) {
  if (client == nullptr) return QOAGENT_OK;
  return Guarded([&]() -> int { return qokit::agent::CloseClient(FromHandle(client)); });
}

}  // extern "C"
