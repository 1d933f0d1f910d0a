// The argument of semctl, which its caller must define; the agent and the
// client library both pass it.
#pragma once

#include <sys/sem.h>

namespace qokit::agent {

union SemArgument {
  int val;
  struct semid_ds* buf;
  unsigned short* array;
  struct seminfo* info;
};

}  // namespace qokit::agent
