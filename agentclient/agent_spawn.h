// Starting the agent program as a child whose process file descriptor is
// taken by the same system call that creates it, so that no moment exists in
// which the child could end, be reaped by the host and have its identifier
// reused before the client holds it.
#pragma once

#include <sys/types.h>

namespace qokit::agent {

struct SpawnedAgent {
  pid_t pid = -1;
  int pidfd = -1;  // close-on-exec
};

// Starts `program` with the decimal `shmId` as its only argument and the
// caller's environment: standard descriptors on /dev/null and no others,
// its own process group, "/" as its working directory, no signal blocked,
// the signals the caller handles (and SIGALRM) at their defaults. Returns 0,
// or an errno value when nothing was started (EMFILE at the descriptor
// limit, the error of exec for a program that cannot run).
int SpawnAgent(const char* program, int shmId, SpawnedAgent* out);

}  // namespace qokit::agent
