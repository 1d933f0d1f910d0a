#include "ipc_check.h"

#include <chrono>
#include <thread>

#include "client_set.h"

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>

ScopedSegment::ScopedSegment(std::size_t size)
    : id_(shmget(IPC_PRIVATE, size, IPC_CREAT | IPC_EXCL | 0600)) {
  if (id_ < 0) return;
  void* address = shmat(id_, nullptr, 0);
  if (address != reinterpret_cast<void*>(-1)) bytes_ = static_cast<unsigned char*>(address);
}

ScopedSegment::~ScopedSegment() {
  if (bytes_ != nullptr) shmdt(bytes_);
  if (id_ >= 0) shmctl(id_, IPC_RMID, nullptr);
}

ScopedSemaphoreSet::ScopedSemaphoreSet(int count)
    : id_(semget(IPC_PRIVATE, count, IPC_CREAT | IPC_EXCL | 0600)) {}

ScopedSemaphoreSet::~ScopedSemaphoreSet() {
  if (id_ >= 0) semctl(id_, 0, IPC_RMID);
}

bool SegmentExists(int shmId) {
  struct shmid_ds info = {};
  return shmctl(shmId, IPC_STAT, &info) == 0;
}

bool SemaphoreSetExists(int semId) {
  struct semid_ds info = {};
  return semctl(semId, 0, IPC_STAT, &info) == 0;
}

int SemaphoreValue(int semId, int number) { return semctl(semId, number, GETVAL); }

std::vector<int> SegmentsCreatedBy(pid_t creator) {
  // SHM_INFO answers with a struct shm_info through the shmid_ds pointer.
  union {
    struct shm_info summary;
    struct shmid_ds ds;
  } info = {};
  const int highestIndex = shmctl(0, SHM_INFO, &info.ds);
  std::vector<int> found;
  for (int index = 0; index <= highestIndex; ++index) {
    struct shmid_ds entry = {};
    const int id = shmctl(index, SHM_STAT, &entry);
    if (id >= 0 && entry.shm_cpid == creator) found.push_back(id);
  }
  return found;
}

std::vector<int> ClientSetsCreatedBy(pid_t creator) {
  using namespace qokit::agent;
  struct seminfo limits = {};
  const int highestIndex = semctl(0, 0, SEM_INFO, &limits);
  std::vector<int> found;
  for (int index = 0; index <= highestIndex; ++index) {
    struct semid_ds entry = {};
    const int id = semctl(index, 0, SEM_STAT, &entry);
    if (id < 0 || entry.sem_nsems != kClientSetSize) continue;
    // Only the creating process ever operates on the tag semaphore, so it
    // is the last to have done so.
    if (SemaphoreValue(id, kTagSemaphore) == kClientSetTag &&
        semctl(id, kTagSemaphore, GETPID) == creator) {
      found.push_back(id);
    }
  }
  return found;
}

bool NoIpcLeftBy(pid_t creator, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (SegmentsCreatedBy(creator).empty() && ClientSetsCreatedBy(creator).empty()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
