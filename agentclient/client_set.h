// The semaphore set of a client: the agent's two semaphores, the wake
// semaphore the client posts, and the mark by which a later open of any
// client recognises the set of a client that ended without closing.
#pragma once

#include "qoagent_segment.h"

namespace qokit::agent {

enum ClientSemaphore : unsigned short {
  kRequestSemaphore = QOAGENT_SEM_REQUEST,  // the agent's own, reset after every reply
  kReplySemaphore = QOAGENT_SEM_REPLY,      // set to 1 by the agent: ready, or a reply stored
  kWakeSemaphore = 2,                       // posted by the client for each request
  kTagSemaphore = 3,                        // kClientSetTag: the set is a client's
  kLifeSemaphore = 4,                       // 1 while the creating process lives
};
inline constexpr int kClientSetSize = 5;
inline constexpr short kClientSetTag = 0x5142;

// Creates a private set (mode 0600) of kClientSetSize semaphores, all 0 but
// the tag and the life count, which the kernel takes back (SEM_UNDO) when
// this process ends, however it ends. Returns its identifier, or -1 with
// errno.
int CreateClientSet();

// Removes the sets of this user's clients, in this IPC namespace, whose
// creating process has ended: those whose life count has fallen to 0. It
// does not depend on process identifiers, so a client in another PID
// namespace is never taken for dead.
void SweepDeadClientSets();

}  // namespace qokit::agent
