/* The shared segment through which a client and its status agent talk.
 *
 * The client creates one System V shared-memory segment and a semaphore set,
 * stores the set's identifier and the wait operation in the segment, and
 * starts `statagent` with the segment's identifier as its only argument.
 * Requests and replies cross in the segment in the native byte order and
 * integer widths of the machine.
 *
 *   offset  size  field     written by  meaning
 *        0     4  semId     client      identifier of the semaphore set
 *        4     4  request   client      request code (QOAGENT_REQUEST_*)
 *        8     4  -         -           unused
 *       12     4  errNum    agent       errno left by the status call
 *       16     4  result    agent       0 on success, -1 on failure
 *       20     6  -         -           unused
 *       26     6  waitOp    client      the semaphore operation the agent
 *                                       performs to wait for a request
 *       32     R  statBuf   agent       the status record, as the platform
 *                                       returns it
 *   32 + R   ...  path      client      the path, zero-terminated, running to
 *                                       the end of the segment
 *
 * R is the larger of the platform's struct stat and struct statfs (and at
 * least 64), rounded up to a multiple of 8; on x86-64 with glibc it is 144
 * and `path` starts at 176. The fields before statBuf keep their offsets on
 * every platform, so older clients still find semId, request and waitOp.
 *
 * AgentSegment holds the fixed fields; the path runs from its end to the end
 * of the segment (qoagent_segment_path), so the struct is the same in C and
 * C++ and its size is the path's offset.
 *
 * Semaphores the agent sets itself: semaphore 1 to 1 once it is attached and
 * ready and again after every reply is stored; semaphore 0 to 0 at start-up
 * and after every reply. The agent never creates, removes or detaches the
 * segment or the set.
 */
#ifndef QOKIT_QOAGENT_SEGMENT_H
#define QOKIT_QOAGENT_SEGMENT_H

#include <stddef.h>
#include <stdint.h>
#include <sys/sem.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The semaphores of the set semId that the agent itself sets: the request
 * semaphore to 0 at start and after every reply, the reply semaphore to 1
 * once the agent is ready and after every stored reply. */
enum { QOAGENT_SEM_REQUEST = 0, QOAGENT_SEM_REPLY = 1 };

/* Request codes. Any other code (1 included) ends the agent with status 255. */
enum {
  QOAGENT_REQUEST_STATFS = 0, /* struct statfs of the file system holding path */
  QOAGENT_REQUEST_STAT = 2,   /* struct stat of path, symbolic links followed */
  QOAGENT_REQUEST_LSTAT = 3   /* struct stat of path itself */
};

#define QOAGENT_MAX_OF_(a, b) ((a) > (b) ? (a) : (b))
#define QOAGENT_STATUS_RECORD_SIZE                                                     \
  ((QOAGENT_MAX_OF_(QOAGENT_MAX_OF_(sizeof(struct stat), sizeof(struct statfs)), 64u) + \
    7u) / 8u * 8u)

/* The status record area, viewable as whichever record the request filled. */
typedef union qoagent_status_record {
  struct stat st;   /* QOAGENT_REQUEST_STAT, QOAGENT_REQUEST_LSTAT */
  struct statfs fs; /* QOAGENT_REQUEST_STATFS */
  unsigned char bytes[QOAGENT_STATUS_RECORD_SIZE];
} qoagent_status_record;

typedef struct AgentSegment {
  int32_t semId;
  int32_t request;
  int32_t unused8;
  int32_t errNum;
  int32_t result;
  unsigned char unused20[6];
  struct sembuf waitOp;
  qoagent_status_record statBuf;
} AgentSegment;

/* Where the path starts, and the smallest segment the agent accepts: the
 * fields, the record area and room for an empty path. */
#define QOAGENT_PATH_OFFSET sizeof(AgentSegment)
#define QOAGENT_SEGMENT_MIN_SIZE (QOAGENT_PATH_OFFSET + 1u)

/* The path of the segment at `segment`, which runs to the segment's end. */
static inline char* qoagent_segment_path(AgentSegment* segment) {
  return (char*)segment + QOAGENT_PATH_OFFSET;
}

#if defined(__cplusplus)
#define QOAGENT_STATIC_ASSERT_(cond, text) static_assert(cond, text)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define QOAGENT_STATIC_ASSERT_(cond, text) _Static_assert(cond, text)
#endif

/* Checked wherever the compiler can state them (C11 and C++). */
#ifdef QOAGENT_STATIC_ASSERT_
QOAGENT_STATIC_ASSERT_(sizeof(struct sembuf) == 6, "waitOp is three 16-bit fields");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, semId) == 0, "semId at 0");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, request) == 4, "request at 4");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, errNum) == 12, "errNum at 12");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, result) == 16, "result at 16");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, waitOp) == 26, "waitOp at 26");
QOAGENT_STATIC_ASSERT_(offsetof(AgentSegment, statBuf) == 32, "statBuf at 32");
QOAGENT_STATIC_ASSERT_(QOAGENT_STATUS_RECORD_SIZE % 8 == 0 && QOAGENT_STATUS_RECORD_SIZE >= 64,
                       "record area is a multiple of 8, at least 64");
QOAGENT_STATIC_ASSERT_(sizeof(qoagent_status_record) == QOAGENT_STATUS_RECORD_SIZE,
                       "record area holds both records and nothing more");
QOAGENT_STATIC_ASSERT_(sizeof(AgentSegment) == 32 + QOAGENT_STATUS_RECORD_SIZE,
                       "path follows the record area");
#if defined(__x86_64__) && defined(__GLIBC__)
QOAGENT_STATIC_ASSERT_(QOAGENT_STATUS_RECORD_SIZE == 144, "x86-64 glibc record area");
QOAGENT_STATIC_ASSERT_(sizeof(AgentSegment) == 176, "x86-64 glibc path offset");
#endif
#endif

#ifdef __cplusplus
}
#endif

#endif
