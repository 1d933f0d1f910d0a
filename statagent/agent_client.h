/* Client side of the status agent: creates the segment and the semaphore
 * set, starts `statagent`, posts requests and collects replies, and removes
 * everything again. Linux only (it relies on process file descriptors and on
 * attaching a segment already marked for removal).
 *
 * Protocol used by this client (the agent's side is fixed, see
 * agent_segment.h; this half is the client's choice):
 *   - The segment is private (IPC_PRIVATE, mode 0600) and is marked for
 *     removal before the agent starts, so it ends with the last process
 *     attached to it, however the client ends.
 *   - The set (IPC_PRIVATE, mode 0600) holds six semaphores, all 0 before
 *     the agent starts: 0 and 1 are the agent's request and reply
 *     semaphores, 2 is the wake semaphore, 3 holds a tag and 4 and 5 the
 *     creating process's identifier (high and low 15 bits), so that the next
 *     agentClientOpen of any client of this library run by the same user
 *     removes the sets of clients that were killed.
 *   - waitOp is {sem_num 2, sem_op -1, sem_flg 0}: the agent waits for a
 *     post on the wake semaphore, which it never resets, so no post can be
 *     lost (a post on semaphore 0 would be, whenever it fell between the
 *     agent's reply and its reset of semaphore 0). For each request the
 *     client
 *       1. stores request and path, then posts semaphore 2;
 *       2. waits until the agent has set semaphore 1 to 1 and takes it back
 *          to 0 ({1,-1}), then reads result, errNum and statBuf.
 *     The agent's readiness at start-up is taken the same way.
 *   - Every wait is bounded by the client's timeout and looks, several times
 *     a second, whether the agent has ended.
 *   - The agent is started with descriptors 0 to 2 only, in a process group
 *     of its own (a terminal's Ctrl-C does not reach it), with every signal
 *     unblocked and "/" as its working directory, so that it never holds a
 *     file system busy. Relative paths given to agentClientRequest and
 *     agentClientSend are made absolute against the caller's working
 *     directory at the time of the call; a relative path placed in the
 *     segment by hand resolves against "/".
 *   - The agent is tracked through a process file descriptor: it is never
 *     signalled once it has ended, even if the host reaped it (a wait for
 *     any child, SIGCHLD ignored) and its process identifier was reused.
 *   - Closing kills the agent (SIGKILL) and waits for it at most the close
 *     timeout; an agent stuck in a status call that cannot be interrupted
 *     is abandoned (it dies when the call returns; a later open or close of
 *     this library collects it), and its set and segment are removed all
 *     the same: it cannot run again.
 *   - A copy of a client in a child process made by fork never touches the
 *     parent's agent: requests are refused and closing only frees the copy.
 * A client is used by one thread at a time; see agent_pool.h for many.
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
  AGENT_CLIENT_BAD_ARGUMENT = -1, /* null pointer, segment too small, no agent path,
                                     nothing to receive */
  AGENT_CLIENT_PATH_TOO_LONG = -2, /* path and terminator do not fit the segment */
  AGENT_CLIENT_NO_MEMORY = -3,
  AGENT_CLIENT_IPC_FAILED = -4,  /* a segment or semaphore call failed; errno tells */
  AGENT_CLIENT_START_FAILED = -5, /* the agent program could not be started */
  AGENT_CLIENT_TIMEOUT = -6,     /* no answer in time */
  AGENT_CLIENT_AGENT_ENDED = -7, /* the agent has exited; see agentClientExitStatus */
  AGENT_CLIENT_NOT_READY = -8,   /* a request is still outstanding */
  AGENT_CLIENT_ABANDONED = -9,   /* close: the agent did not end within the close
                                    timeout and was left to end by itself */
  AGENT_CLIENT_NOT_OWNER = -10   /* the client was opened by another process
                                    (this one is a fork copy); only close is allowed */
};

/* The semaphores of a client's set (see above). */
enum AgentClientSemaphore {
  AGENT_CLIENT_SEM_REQUEST = AGENT_SEM_REQUEST, /* the agent's own, reset after every reply */
  AGENT_CLIENT_SEM_REPLY = AGENT_SEM_REPLY,     /* set to 1 by the agent: ready, or a reply stored */
  AGENT_CLIENT_SEM_WAKE = 2,    /* posted by the client for each request */
  AGENT_CLIENT_SEM_TAG = 3,     /* AGENT_CLIENT_SET_TAG */
  AGENT_CLIENT_SEM_PID_HIGH = 4, /* creating process >> 15 */
  AGENT_CLIENT_SEM_PID_LOW = 5,  /* creating process & 0x7fff */
  AGENT_CLIENT_SET_SIZE = 6
};
#define AGENT_CLIENT_SET_TAG 0x5141

#define AGENT_CLIENT_DEFAULT_SEGMENT_SIZE 4096u
#define AGENT_CLIENT_DEFAULT_TIMEOUT_MS 5000
#define AGENT_CLIENT_DEFAULT_CLOSE_TIMEOUT_MS 500

/* Flags of AgentClientOptions. */
#define AGENT_CLIENT_RESTART 1u /* after a timeout or an ended agent, replace the
                                   agent by a fresh one before returning */

typedef struct AgentClientOptions {
  const char* agentPath; /* the statagent program to start; required (copied) */
  size_t segmentSize;    /* 0: AGENT_CLIENT_DEFAULT_SEGMENT_SIZE */
  int timeoutMs;         /* bound on start-up and on each reply; 0: the default */
  int closeTimeoutMs;    /* bound on waiting for a killed agent; 0: the default */
  unsigned flags;        /* AGENT_CLIENT_RESTART or 0 */
} AgentClientOptions;

/* The reply to one request. */
typedef struct AgentReply {
  int32_t result; /* 0 or -1 */
  int32_t errNum; /* meaningful only when result is -1 */
  AgentStatusRecord record;
} AgentReply;

typedef struct AgentClient AgentClient;

/* Creates the segment and set, starts the agent and waits until it is ready.
 * First removes the sets left by killed clients. On any failure everything
 * made so far is removed and *client is NULL. */
int agentClientOpen(const AgentClientOptions* options, AgentClient** client);

/* Sends one request for `path` and waits for the reply: agentClientSend
 * followed by agentClientReceive. */
int agentClientRequest(AgentClient* client, int32_t request, const char* path,
                       AgentReply* reply);

/* Sends one request for `path` and returns at once; the reply is collected
 * with agentClientReceive, and its time runs from this call. After a
 * timeout without restart the late reply may still come: until it has,
 * this returns AGENT_CLIENT_NOT_READY and leaves the segment alone. */
int agentClientSend(AgentClient* client, int32_t request, const char* path);

/* Waits for the reply to the request sent last. On AGENT_CLIENT_TIMEOUT or
 * AGENT_CLIENT_AGENT_ENDED a client opened with AGENT_CLIENT_RESTART has a
 * fresh agent (and a new segment) for the next request; if starting it
 * failed, the next send tries again. */
int agentClientReceive(AgentClient* client, AgentReply* reply);

/* Sends `request` with whatever the caller has put in the segment's path and
 * waits for the reply, which is left in the segment. The caller writes the
 * path only while no request is outstanding. */
int agentClientPost(AgentClient* client, int32_t request);

/* The segment, for callers that fill the path themselves or read the reply
 * in place; valid until the next restart or agentClientClose. */
AgentSegment* agentClientSegment(AgentClient* client);
size_t agentClientSegmentSize(const AgentClient* client);

int agentClientShmId(const AgentClient* client);
int agentClientSemId(const AgentClient* client);
pid_t agentClientPid(const AgentClient* client);
/* How many times the agent has been replaced by a fresh one. */
unsigned agentClientRestarts(const AgentClient* client);

/* The exit status (0-255, or 128 + signal) of the last agent of this client
 * that ended on its own; -1 if none has, or if another wait of the host
 * collected it first. */
int agentClientExitStatus(const AgentClient* client);

/* Ends the agent if it still runs, removes the set and the segment and frees
 * the client. Safe with NULL. Returns AGENT_CLIENT_ABANDONED when the agent
 * did not end within the close timeout, AGENT_CLIENT_IPC_FAILED if a removal
 * failed. In a fork copy it only frees the copy. */
int agentClientClose(AgentClient* client);

#ifdef __cplusplus
}
#endif

#endif
