// A pool of status agents shared by the threads of one process: requests
// are spread over N clients with the same options. A request takes a free
// agent (waiting for one at most the timeout) and returns it with the reply;
// a posted request keeps its agent until the reply is collected.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "c_boundary.h"
#include "qoagent.h"

namespace qokit::agent {
namespace {

// A slot is taken by whoever turns `busy` from false to true; its other
// fields belong to the taker until it gives the slot back.
struct Slot {
  qoagent_client* client = nullptr;
  std::atomic<bool> busy{false};
  std::atomic<bool> posted{false};  // awaits qoagent_pool_collect
  std::atomic<unsigned> serial{0};
};

// Where this thread last found a free agent: a thread that keeps to one
// agent finds it free at once while the others keep to theirs.
thread_local int preferred = -1;

struct Pool {
  int count = 0;
  int timeoutMs = QOAGENT_DEFAULT_TIMEOUT_MS;
  std::atomic<int> newcomers{0};  // spreads threads without a preference
  std::array<Slot, QOAGENT_POOL_MAX_AGENTS> slots;
  // Only for threads that found every agent busy.
  std::mutex lock;
  std::condition_variable freed;
  std::atomic<int> waiting{0};
};

// The handle is the pool itself, a type C never sees completed.
Pool* FromHandle(qoagent_pool* pool) { return reinterpret_cast<Pool*>(pool); }
const Pool* FromHandle(const qoagent_pool* pool) { return reinterpret_cast<const Pool*>(pool); }

// The index of a free agent, now taken, or -1.
int TakeFree(Pool& pool) {
  if (preferred < 0 || preferred >= pool.count) {
    preferred = pool.newcomers.fetch_add(1, std::memory_order_relaxed) % pool.count;
  }
  for (int i = 0; i < pool.count; ++i) {
    const int index = (preferred + i) % pool.count;
    Slot& slot = pool.slots[index];
    if (!slot.busy.load(std::memory_order_relaxed) && !slot.busy.exchange(true)) {
      preferred = index;
      return index;
    }
  }
  return -1;
}

// Waits for a free agent at most the pool's timeout.
int TakeFreeWaiting(Pool& pool) {
  int index = TakeFree(pool);
  if (index >= 0) return index;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(pool.timeoutMs);
  std::unique_lock<std::mutex> hold(pool.lock);
  pool.waiting.fetch_add(1);
  // Counted as waiting before looking again, so a slot given back from now
  // on comes with a notification.
  while ((index = TakeFree(pool)) < 0) {
    if (pool.freed.wait_until(hold, deadline) == std::cv_status::timeout) {
      index = TakeFree(pool);
      break;
    }
  }
  pool.waiting.fetch_sub(1);
  return index;
}

void Give(Pool& pool, int index) {
  Slot& slot = pool.slots[index];
  slot.posted.store(false);
  slot.serial.fetch_add(1);
  slot.busy.store(false);
  if (pool.waiting.load() > 0) {
    { std::lock_guard<std::mutex> hold(pool.lock); }
    pool.freed.notify_one();
  }
}

int ClosePool(Pool* pool) {
  int result = QOAGENT_OK;
  for (int i = 0; i < pool->count; ++i) {
    const int closed = qoagent_close(pool->slots[i].client);
    if (result == QOAGENT_OK) result = closed;
  }
  delete pool;
  return result;
}

}  // namespace
}  // namespace qokit::agent

using qokit::agent::FromHandle;
using qokit::agent::Guarded;
using qokit::agent::Pool;

extern "C" {

int qoagent_pool_open(const qoagent_options* options, int agents, qoagent_pool** pool) {
  if (pool == nullptr) return QOAGENT_ERR_ARGUMENT;
  *pool = nullptr;
  if (options == nullptr || agents < 1 || agents > QOAGENT_POOL_MAX_AGENTS) {
    return QOAGENT_ERR_ARGUMENT;
  }
  return Guarded([&]() -> int {
    auto* made = new Pool;
    if (options->timeout_ms > 0) made->timeoutMs = options->timeout_ms;
    for (int i = 0; i < agents; ++i) {
      const int opened = qoagent_open(options, &made->slots[i].client);
      if (opened != QOAGENT_OK) {
        (void)qokit::agent::ClosePool(made);
        return opened;
      }
      made->count = i + 1;
    }
    *pool = reinterpret_cast<qoagent_pool*>(made);
    return QOAGENT_OK;
  });
}

int qoagent_pool_request(qoagent_pool* pool, int32_t request, const char* path,
                         qoagent_reply* reply) {
  if (pool == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int {
    Pool& self = *FromHandle(pool);
    const int index = qokit::agent::TakeFreeWaiting(self);
    if (index < 0) return QOAGENT_ERR_TIMEOUT;
    const int result = qoagent_request(self.slots[index].client, request, path, reply);
    qokit::agent::Give(self, index);
    return result;
  });
}

int qoagent_pool_post(qoagent_pool* pool, int32_t request, const char* path,
                      qoagent_ticket* ticket) {
  if (pool == nullptr || ticket == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int {
    Pool& self = *FromHandle(pool);
    const int index = qokit::agent::TakeFree(self);
    if (index < 0) return QOAGENT_ERR_NOT_READY;
    qokit::agent::Slot& slot = self.slots[index];
    const int sent = qoagent_send(slot.client, request, path);
    if (sent != QOAGENT_OK) {
      qokit::agent::Give(self, index);
      return sent;
    }
    *ticket = qoagent_ticket{index, slot.serial.load()};
    slot.posted.store(true);
    return QOAGENT_OK;
  });
}

int qoagent_pool_collect(qoagent_pool* pool, const qoagent_ticket* ticket, qoagent_reply* reply) {
  if (pool == nullptr || ticket == nullptr || reply == nullptr) return QOAGENT_ERR_ARGUMENT;
  return Guarded([&]() -> int {
    Pool& self = *FromHandle(pool);
    const int index = ticket->agent;
    if (index < 0 || index >= self.count) return QOAGENT_ERR_ARGUMENT;
    qokit::agent::Slot& slot = self.slots[index];
    // Claimed here, so a second collect of the same ticket is refused.
    bool wasPosted = true;
    if (slot.serial.load() != ticket->serial ||
        !slot.posted.compare_exchange_strong(wasPosted, false)) {
      return QOAGENT_ERR_ARGUMENT;
    }
    const int result = qoagent_receive(slot.client, reply);
    qokit::agent::Give(self, index);
    return result;
  });
}

int qoagent_pool_size(const qoagent_pool* pool) {
  return pool == nullptr ? 0 : FromHandle(pool)->count;
}

const qoagent_client* qoagent_pool_client(const qoagent_pool* pool, int index) {
  if (pool == nullptr || index < 0 || index >= FromHandle(pool)->count) return nullptr;
  return FromHandle(pool)->slots[index].client;
}

int qoagent_pool_close(qoagent_pool* pool) {
  if (pool == nullptr) return QOAGENT_OK;
  return Guarded([&]() -> int { return qokit::agent::ClosePool(FromHandle(pool)); });
}

}  // extern "C"
