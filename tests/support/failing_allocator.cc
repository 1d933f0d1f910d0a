#include "failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> live{0};
std::atomic<long> made{0};
std::atomic<long> fail_after{-1};
std::atomic<bool> failed{false};

void* Allocate(std::size_t size) noexcept {
  if (fail_after.load() >= 0 && fail_after.fetch_sub(1) == 0) {
    failed = true;
    return nullptr;
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory != nullptr) {
    ++live;
    ++made;
  }
  return memory;
}

void Free(void* memory) noexcept {
  if (memory == nullptr) return;
  --live;
  std::free(memory);
}

}  // namespace

namespace failing_allocator {

long Live() { return live.load(); }
long Made() { return made.load(); }
void FailAfter(long n) {
  failed = false;
  fail_after = n;
}
bool Failed() { return failed.load(); }

}  // namespace failing_allocator

void* operator new(std::size_t size) {
  if (void* memory = Allocate(size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { Free(memory); }
void operator delete[](void* memory) noexcept { Free(memory); }
void operator delete(void* memory, std::size_t) noexcept { Free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { Free(memory); }
