// Deadlines on the monotonic clock. Every bound of the client is one, so a
// wait that a signal interrupts resumes with what is left of its bound
// instead of starting it anew.
#pragma once

#include <cstdint>
#include <ctime>

namespace qokit::agent {

// Nanoseconds on the monotonic clock.
using Nanos = std::int64_t;
inline constexpr Nanos kNanosPerSecond = 1000000000;
inline constexpr Nanos kNanosPerMs = 1000000;

inline Nanos Now() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * kNanosPerSecond + now.tv_nsec;
}

// The deadline `ms` milliseconds from now.
inline Nanos After(int ms) { return Now() + ms * kNanosPerMs; }

inline struct timespec ToTimespec(Nanos span) {
  return {static_cast<time_t>(span / kNanosPerSecond), static_cast<long>(span % kNanosPerSecond)};
}

// What is left until `deadline` in whole milliseconds, rounded up (0 once
// it has passed), for poll.
inline int MsLeft(Nanos deadline) {
  const Nanos left = deadline - Now();
  return left <= 0 ? 0 : static_cast<int>((left + kNanosPerMs - 1) / kNanosPerMs);
}

}  // namespace qokit::agent
