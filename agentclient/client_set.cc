#include "client_set.h"

#include <cerrno>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <unistd.h>

#include "semctl_arg.h"

namespace qokit::agent {

int CreateClientSet() {
  const int id = semget(IPC_PRIVATE, kClientSetSize, IPC_CREAT | IPC_EXCL | 0600);
  if (id < 0) return -1;
  unsigned short zeros[kClientSetSize] = {};
  SemArgument argument = {};
  argument.array = zeros;
  // The tag and the life count in one operation: a sweep sees the tag only
  // together with the count, never a tagged set whose count is not yet up.
  struct sembuf mark[2] = {{kTagSemaphore, kClientSetTag, 0}, {kLifeSemaphore, 1, SEM_UNDO}};
  if (semctl(id, 0, SETALL, argument) != 0 || semop(id, mark, 2) != 0) {
    const int failure = errno;
    semctl(id, 0, IPC_RMID);
    errno = failure;
    return -1;
  }
  return id;
}

void SweepDeadClientSets() {
  struct seminfo limits = {};
  SemArgument argument = {};
  argument.info = &limits;
  const int highestIndex = semctl(0, 0, SEM_INFO, argument);
  const uid_t me = geteuid();
  for (int index = 0; index <= highestIndex; ++index) {
    struct semid_ds info = {};
    argument.buf = &info;
    const int id = semctl(index, 0, SEM_STAT, argument);
    if (id < 0 || info.sem_nsems != kClientSetSize || info.sem_perm.uid != me ||
        info.sem_perm.__key != IPC_PRIVATE) {
      continue;
    }
    unsigned short values[kClientSetSize] = {};
    argument.array = values;
    if (semctl(id, 0, GETALL, argument) != 0) continue;
    if (values[kTagSemaphore] != kClientSetTag || values[kLifeSemaphore] != 0) continue;
    // An agent of the dead client that still runs finds its set gone at its
    // next wait and ends.
    semctl(id, 0, IPC_RMID);
  }
}

}  // namespace qokit::agent
