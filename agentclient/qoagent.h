/* qoagent: client of the file-status agent. Starts `statagent`, passes it
 * stat, lstat and statfs requests through a System V shared segment and
 * waits for each reply no longer than a timeout, so that a hung file system
 * cannot hang the caller. Linux only (it tracks the agent through a process
 * file descriptor and attaches a segment already marked for removal).
 *
 * A client (qoagent_client) is used by one thread at a time; a pool
 * (qoagent_pool) spreads requests over several agents and may be used by
 * any number of threads at once.
 *
 * The functions that act (open, request, send, receive, post, close and
 * their pool forms) return QOAGENT_OK (0) or a negative QOAGENT_ERR_* code,
 * which qoagent_strerror describes; where a code says so, errno tells more.
 * No function aborts the caller: running out of memory is QOAGENT_ERR_NOMEM.
 *
 * The agent, the segment and the semaphore set, as this library uses them:
 *   - The segment is private (mode 0600) and is marked for removal before
 *     the agent starts, so it ends with the last process attached to it,
 *     however the client ends.
 *   - The set is private (mode 0600). Besides the agent's request and reply
 *     semaphores it holds a wake semaphore that the client posts for each
 *     request (the agent's wait operation takes it, and the agent never
 *     resets it, so no post is lost), and a tag and a count that the kernel
 *     takes back when the creating process ends, however it ends. The next
 *     qoagent_open of any client of this library, run by the same user in
 *     the same IPC namespace, removes the sets whose count has fallen to 0:
 *     those of clients that ended without closing.
 *   - The agent is started with its standard descriptors on /dev/null and
 *     no others, in a process group of its own, with every signal unblocked
 *     and "/" as its working directory, so that it holds neither the host's
 *     pipes nor a file system busy. Relative paths given to qoagent_request
 *     and qoagent_send are made absolute against the caller's working
 *     directory at the time of the call; a relative path placed in the
 *     segment by hand resolves against "/".
 *   - The agent is tracked through a process file descriptor taken as it is
 *     created: it is never signalled once it has ended, even if the host
 *     reaped it (a wait for any child, SIGCHLD ignored) and its process
 *     identifier was reused.
 *   - Every bound (start, reply, close) is a deadline on the monotonic
 *     clock: signals that interrupt the waits do not extend it.
 *   - Closing kills the agent and removes the set, then waits for the agent
 *     at most the close timeout; an agent stuck in a status call that cannot
 *     be interrupted is abandoned (it ends when the call returns, and a later
 *     open or close of this library reaps it, however many there are).
 *   - A copy of a client in a child process made by fork never touches the
 *     parent's agent: requests are refused and closing only frees the copy.
 */
#ifndef QOKIT_QOAGENT_H
#define QOKIT_QOAGENT_H

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#include "qoagent_segment.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

enum {
  QOAGENT_OK = 0,
  QOAGENT_ERR_ARGUMENT = -1,      /* null pointer, segment too small, no agent program,
                                     nothing to receive, a ticket already collected */
  QOAGENT_ERR_PATH_TOO_LONG = -2, /* path and terminator do not fit the segment */
  QOAGENT_ERR_NOMEM = -3,         /* out of memory */
  QOAGENT_ERR_IPC = -4,           /* a segment or semaphore call failed; errno tells */
  QOAGENT_ERR_START = -5,         /* the agent program could not be started; errno tells */
  QOAGENT_ERR_TIMEOUT = -6,       /* no answer in time */
  QOAGENT_ERR_AGENT_ENDED = -7,   /* the agent has exited; see qoagent_exit_status */
  QOAGENT_ERR_NOT_READY = -8,     /* a request is still outstanding, or every agent
                                     of a pool is busy */
  QOAGENT_ERR_ABANDONED = -9,     /* close: the agent did not end within the close
                                     timeout and was left to end by itself */
  QOAGENT_ERR_NOT_OWNER = -10,    /* opened by another process (this one is a fork
                                     copy); only close is allowed */
  QOAGENT_ERR_SYSTEM = -11        /* another system call failed; errno tells (ENOENT:
                                     the working directory of a relative path was removed) */
};

#define QOAGENT_DEFAULT_SEGMENT_SIZE 4096u
#define QOAGENT_DEFAULT_TIMEOUT_MS 5000
#define QOAGENT_DEFAULT_CLOSE_TIMEOUT_MS 500
#define QOAGENT_POOL_MAX_AGENTS 64

/* Flags of qoagent_options. */
#define QOAGENT_RESTART 1u /* after a timeout or an ended agent, replace the agent
                              by a fresh one before returning */

typedef struct qoagent_options {
  const char* agent_path; /* the statagent program to start; required (copied) */
  size_t segment_size;    /* 0: QOAGENT_DEFAULT_SEGMENT_SIZE */
  int timeout_ms;         /* bound on start-up and on each reply; 0: the default */
  int close_timeout_ms;   /* bound on waiting for a killed agent; 0: the default */
  unsigned flags;         /* QOAGENT_RESTART or 0 */
} qoagent_options;

/* The reply to one request. */
typedef struct qoagent_reply {
  int32_t result;  /* 0 or -1 */
  int32_t err_num; /* errno of the call; meaningful only when result is -1 */
  qoagent_status_record record;
} qoagent_reply;

typedef struct qoagent_client qoagent_client;
typedef struct qoagent_pool qoagent_pool;

/* A posted request of a pool, to be handed to qoagent_pool_collect once. */
typedef struct qoagent_ticket {
  int agent;       /* index of the agent that serves it */
  unsigned serial; /* tells a stale ticket from the current one */
} qoagent_ticket;

/* The kit's version, "MAJOR.MINOR.PATCH". */
const char* qoagent_version(void);
/* A short English description of a status code. */
const char* qoagent_strerror(int code);

/* Creates the segment and set, starts the agent and waits until it is ready.
 * First removes the sets left by clients that ended without closing. On any
 * failure everything made so far is removed and *client is NULL. */
int qoagent_open(const qoagent_options* options, qoagent_client** client);

/* Sends one request for `path` and waits for the reply: qoagent_send
 * followed by qoagent_receive. */
int qoagent_request(qoagent_client* client, int32_t request, const char* path,
                    qoagent_reply* reply);

/* Sends one request for `path` and returns at once; the reply is collected
 * with qoagent_receive, and its time runs from this call. After a timeout
 * without restart the late reply may still come: until it has, this returns
 * QOAGENT_ERR_NOT_READY and leaves the segment alone. */
int qoagent_send(qoagent_client* client, int32_t request, const char* path);

/* Waits for the reply to the request sent last. On QOAGENT_ERR_TIMEOUT or
 * QOAGENT_ERR_AGENT_ENDED a client opened with QOAGENT_RESTART has a fresh
 * agent (and a new segment) for the next request; if starting it failed,
 * the next send tries again. */
int qoagent_receive(qoagent_client* client, qoagent_reply* reply);

/* Sends `request` with whatever the caller has put in the segment's path and
 * waits for the reply, which is left in the segment. The caller writes the
 * path only while no request is outstanding. */
int qoagent_post(qoagent_client* client, int32_t request);

/* The segment, for callers that fill the path themselves or read the reply
 * in place; valid until the next restart or qoagent_close. */
AgentSegment* qoagent_segment(qoagent_client* client);
size_t qoagent_segment_size(const qoagent_client* client);

int qoagent_shm_id(const qoagent_client* client);
int qoagent_sem_id(const qoagent_client* client);
pid_t qoagent_pid(const qoagent_client* client);
/* How many times the agent has been replaced by a fresh one. */
unsigned qoagent_restarts(const qoagent_client* client);

/* The exit status (0-255, or 128 + signal) of the last agent of this client
 * that ended on its own; -1 if none has, or if another wait of the host
 * collected it first. */
int qoagent_exit_status(const qoagent_client* client);

/* Ends the agent if it still runs, removes the set and the segment and frees
 * the client. Safe with NULL. Returns QOAGENT_ERR_ABANDONED when the agent
 * did not end within the close timeout, QOAGENT_ERR_IPC if a removal
 * failed. In a fork copy it only frees the copy. */
int qoagent_close(qoagent_client* client);

/* Opens `agents` clients (1 to QOAGENT_POOL_MAX_AGENTS) with the same options.
 * On failure nothing is left behind and *pool is NULL. */
int qoagent_pool_open(const qoagent_options* options, int agents, qoagent_pool** pool);

/* One request on a free agent, waiting for a free one at most the timeout
 * (QOAGENT_ERR_TIMEOUT when none came free). */
int qoagent_pool_request(qoagent_pool* pool, int32_t request, const char* path,
                         qoagent_reply* reply);

/* Sends one request on a free agent and returns at once with its ticket;
 * QOAGENT_ERR_NOT_READY when every agent is busy. One thread can so have
 * as many requests under way as the pool has agents. */
int qoagent_pool_post(qoagent_pool* pool, int32_t request, const char* path,
                      qoagent_ticket* ticket);

/* Waits for the reply of a posted request and frees its agent, whatever the
 * result. QOAGENT_ERR_ARGUMENT for a ticket already collected. */
int qoagent_pool_collect(qoagent_pool* pool, const qoagent_ticket* ticket, qoagent_reply* reply);

int qoagent_pool_size(const qoagent_pool* pool);
/* The client behind agent `index`, for its identifiers and counters; the
 * pool alone sends requests on it. */
const qoagent_client* qoagent_pool_client(const qoagent_pool* pool, int index);

/* Closes every client (see qoagent_close); the first failure is the result.
 * Must be the last call on the pool. Safe with NULL. */
int qoagent_pool_close(qoagent_pool* pool);

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
