// The agent as a child process of its client: tracked through its process
// file descriptor, never through its identifier, so that nothing is ever
// signalled or reaped in its name once it has gone; agents that did not end
// in time are kept and reaped by a later call, however many there are.
#pragma once

#include "deadline.h"

namespace qokit::agent {

// An agent that did not end within its close timeout, kept to be reaped.
struct AbandonedAgent {
  int pidfd = -1;
  AbandonedAgent* next = nullptr;
};

// True once the agent behind `pidfd` has ended. Reaps it, and stores its
// exit status (0-255, or 128 + signal) in *status when it was this
// process's to reap; another wait of the host may have taken it first.
bool AgentHasEnded(int pidfd, int* status);

// Sends SIGKILL; an agent that has ended is left alone.
void KillAgent(int pidfd);

// Waits until the agent has ended (and reaps it) or the deadline has passed.
bool AwaitAgentEnd(int pidfd, Nanos deadline);

// Keeps `agent` (its pidfd set) until a later CollectAbandoned finds it
// ended; takes ownership.
void Abandon(AbandonedAgent* agent);

// Reaps every kept agent that has ended, and forgets those that are not
// this process's children (in a child made by fork).
void CollectAbandoned();

// Installed once: keeps the list of kept agents whole across fork, and
// counts forks so that a client can tell it is a copy in a child.
void RegisterForkHandlers();
unsigned ForkGeneration();

}  // namespace qokit::agent
