/* Client side of the status agent: creates the segment and the semaphore
 * set, starts `statagent`, posts requests and collects replies, and removes
 * everything again.
 *
 * Protocol used by this client (the agent's side is fixed, see
 * agent_segment.h; this half is the client's choice):
 *   - The segment is private (IPC_PRIVATE, mode 0600) and the set holds two
 *     semaphores, both 0 before the agent starts.
 *   - waitOp is {sem_num 1, sem_op 0, sem_flg 0}: the agent waits until the
 *     reply semaphore has fallen to 0. The agent raises semaphore 1 only when
 *     it is ready or has stored a reply, so the client
 *       1. waits until semaphore 1 is 1 (ready, or the previous reply),
 *          leaving it at 1: the operations {1,-1} and {1,+1} applied at once;
 *       2. stores request and path, then lowers semaphore 1 to 0, which
 *          releases the agent's wait;
 *       3. waits as in 1 for the reply, then reads result, errNum, statBuf.
 *     A post to semaphore 0 would be lost whenever it fell between the
 *     agent's reply and its reset of semaphore 0; lowering semaphore 1
 *     cannot be lost, because the agent's wait for zero sees it whenever it
 *     comes.
 *   - Every wait is bounded by the client's timeout and checks, several times
 *     a second, whether the agent has ended.
 *   - Closing ends the agent (SIGKILL), reaps it, then removes the set and the
 *     segment, so the agent never runs against a removed set.
 * The client reaps the agent with waitpid; SIGCHLD must not be ignored. A
 * client is used by one thread at a time.
 */
#ifndef QOKIT_STATAGENT_AGENT_CLIENT_H
#define QOKIT_STATAGENT_AGENT_CLIENT_H

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#include "agent_segment.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the client functions: 0 or a negative code. */
enum AgentClientResult {
  AGENT_CLIENT_OK = 0,
  AGENT_CLIENT_BAD_ARGUMENT = -1, /* null pointer, segment too small, no agent path */
  AGENT_CLIENT_PATH_TOO_LONG = -2, /* path and terminator do not fit the segment */
  AGENT_CLIENT_NO_MEMORY = -3,
  AGENT_CLIENT_IPC_FAILED = -4,  /* a segment or semaphore call failed; errno tells */
  AGENT_CLIENT_START_FAILED = -5, /* the agent program could not be started */
  AGENT_CLIENT_TIMEOUT = -6,     /* no answer in time; only closing is sound now */
  AGENT_CLIENT_AGENT_ENDED = -7, /* the agent has exited; see agentClientExitStatus */
  AGENT_CLIENT_NOT_READY = -8    /* a request is still outstanding (after a timeout) */
};

#define AGENT_CLIENT_DEFAULT_SEGMENT_SIZE 4096u
#define AGENT_CLIENT_DEFAULT_TIMEOUT_MS 5000

typedef struct AgentClientOptions {
  const char* agentPath; /* the statagent program to start; required */
  size_t segmentSize;    /* 0: AGENT_CLIENT_DEFAULT_SEGMENT_SIZE */
  int timeoutMs;         /* bound on start-up and on each reply; 0: the default */
} AgentClientOptions;

/* The reply to one request. */
typedef struct AgentReply {
  int32_t result; /* 0 or -1 */
  int32_t errNum; /* meaningful only when result is -1 */
  AgentStatusRecord record;
} AgentReply;

typedef struct AgentClient AgentClient;

/* Creates the segment and set, starts the agent and waits until it is ready.
 * On any failure everything made so far is removed and *client is NULL. */
int agentClientOpen(const AgentClientOptions* options, AgentClient** client);

/* Sends one request for `path` and waits for the reply. */
int agentClientRequest(AgentClient* client, int32_t request, const char* path,
                       AgentReply* reply);

/* Sends `request` with whatever the caller has put in the segment's path and
 * waits for the reply, which is left in the segment. The caller writes the
 * path only while no request is outstanding (not after a timeout). */
int agentClientPost(AgentClient* client, int32_t request);

/* The segment, for callers that fill the path themselves or read the reply
 * in place; valid until agentClientClose. */
AgentSegment* agentClientSegment(AgentClient* client);
size_t agentClientSegmentSize(const AgentClient* client);

int agentClientShmId(const AgentClient* client);
int agentClientSemId(const AgentClient* client);
pid_t agentClientPid(const AgentClient* client);

/* The agent's exit status (0-255, or 128 + signal) once it has ended on its
 * own, -1 while it runs. */
int agentClientExitStatus(const AgentClient* client);

/* Ends the agent if it still runs, removes the set and the segment and frees
 * the client. Safe with NULL. AGENT_CLIENT_IPC_FAILED if a removal failed. */
int agentClientClose(AgentClient* client);

#ifdef __cplusplus
}
#endif

#endif
