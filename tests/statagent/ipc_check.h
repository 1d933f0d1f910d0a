// System V objects made by the tests: owned so that every path removes them,
// and looked up so that a test can prove none is left behind.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <vector>

// A private shared segment, removed when the object goes.
class ScopedSegment {
 public:
  explicit ScopedSegment(std::size_t size);
  ~ScopedSegment();
  ScopedSegment(const ScopedSegment&) = delete;
  ScopedSegment& operator=(const ScopedSegment&) = delete;

  int id() const { return id_; }
  // The segment attached in this process; null when attaching failed.
  unsigned char* bytes() const { return bytes_; }

 private:
  int id_;
  unsigned char* bytes_ = nullptr;
};

// A private set of semaphores, removed when the object goes.
class ScopedSemaphoreSet {
 public:
  explicit ScopedSemaphoreSet(int count);
  ~ScopedSemaphoreSet();
  ScopedSemaphoreSet(const ScopedSemaphoreSet&) = delete;
  ScopedSemaphoreSet& operator=(const ScopedSemaphoreSet&) = delete;

  int id() const { return id_; }

 private:
  int id_;
};

bool SegmentExists(int shmId);
bool SemaphoreSetExists(int semId);
// The value of one semaphore, or -1 when it cannot be read.
int SemaphoreValue(int semId, int number);
// Identifiers of every segment on the machine that process `creator` created
// (those marked for removal but still attached included).
std::vector<int> SegmentsCreatedBy(pid_t creator);
// Identifiers of every semaphore set that the client library made for a
// client opened in process `creator`.
std::vector<int> ClientSetsCreatedBy(pid_t creator);
// True once neither a segment nor a client set of `creator` is left, waiting
// at most `timeoutMs` for agents that are still ending.
bool NoIpcLeftBy(pid_t creator, int timeoutMs = 3000);
