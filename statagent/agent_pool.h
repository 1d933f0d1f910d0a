/* A pool of status agents shared by the threads of one process: requests
 * are spread over N agents, each a client of agent_client.h with the same
 * options (timeout, close timeout, restart). Every function may be called
 * from any thread at any time, except agentPoolClose, which must be the
 * last call. A request takes a free agent (waiting for one at most the
 * timeout) and returns it with the reply; agentPoolPost takes one without
 * waiting and keeps it until the reply is collected, so that one thread can
 * have up to N requests under way at once.
 */
#ifndef QOKIT_STATAGENT_AGENT_POOL_H
#define QOKIT_STATAGENT_AGENT_POOL_H

#include "agent_client.h"

#ifdef __cplusplus
extern "C" {
#endif

#define AGENT_POOL_MAX_AGENTS 64

typedef struct AgentPool AgentPool;

/* A posted request, to be handed to agentPoolCollect exactly once. */
typedef struct AgentTicket {
  int agent;       /* index of the agent that serves it */
  unsigned serial; /* tells a stale ticket from the current one */
} AgentTicket;

/* Opens `agents` clients (1 to AGENT_POOL_MAX_AGENTS). On failure nothing is
 * left behind and *pool is NULL. */
int agentPoolOpen(const AgentClientOptions* options, int agents, AgentPool** pool);

/* One request on a free agent, waiting for a free one at most the timeout
 * (AGENT_CLIENT_TIMEOUT when none came free). */
int agentPoolRequest(AgentPool* pool, int32_t request, const char* path, AgentReply* reply);

/* Sends one request on a free agent and returns at once with its ticket;
 * AGENT_CLIENT_NOT_READY when every agent is busy. */
int agentPoolPost(AgentPool* pool, int32_t request, const char* path, AgentTicket* ticket);

/* Waits for the reply of a posted request and frees its agent, whatever the
 * result. AGENT_CLIENT_BAD_ARGUMENT for a ticket already collected. */
int agentPoolCollect(AgentPool* pool, const AgentTicket* ticket, AgentReply* reply);

int agentPoolSize(const AgentPool* pool);
/* The client behind agent `index`, for its identifiers and counters; the
 * pool alone sends requests on it. */
const AgentClient* agentPoolClient(const AgentPool* pool, int index);

/* Closes every client (see agentClientClose); the first failure is the
 * result. Safe with NULL. */
int agentPoolClose(AgentPool* pool);

#ifdef __cplusplus
}
#endif

#endif
