#include "agent_pool.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace {

// A slot is taken by whoever turns `busy` from false to true; its other
// fields belong to the taker until it gives the slot back.
struct Slot {
  AgentClient* client = nullptr;
  std::atomic<bool> busy{false};
  std::atomic<bool> posted{false};  // awaits agentPoolCollect
  std::atomic<unsigned> serial{0};
};

// Where this thread last found a free agent: a thread that keeps to one
// agent finds it free at once while the others keep to theirs.
thread_local int preferred = -1;

}  // namespace

struct AgentPool {
  int count = 0;
  int timeoutMs = AGENT_CLIENT_DEFAULT_TIMEOUT_MS;
  std::atomic<int> newcomers{0};  // spreads threads without a preference
  std::array<Slot, AGENT_POOL_MAX_AGENTS> slots;
  // Only for threads that found every agent busy.
  std::mutex lock;
  std::condition_variable freed;
  std::atomic<int> waiting{0};
};

namespace {

// The index of a free agent, now taken, or -1.
int TakeFree(AgentPool& pool) {
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
int TakeFreeWaiting(AgentPool& pool) {
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

void Give(AgentPool& pool, int index) {
  Slot& slot = pool.slots[index];
  slot.posted.store(false);
  slot.serial.fetch_add(1);
  slot.busy.store(false);
  if (pool.waiting.load() > 0) {
    { std::lock_guard<std::mutex> hold(pool.lock); }
    pool.freed.notify_one();
  }
}

}  // namespace

extern "C" {

int agentPoolOpen(const AgentClientOptions* options, int agents, AgentPool** pool) {
  if (pool == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  *pool = nullptr;
  if (options == nullptr || agents < 1 || agents > AGENT_POOL_MAX_AGENTS) {
    return AGENT_CLIENT_BAD_ARGUMENT;
  }
  auto* made = new (std::nothrow) AgentPool;
  if (made == nullptr) return AGENT_CLIENT_NO_MEMORY;
  if (options->timeoutMs > 0) made->timeoutMs = options->timeoutMs;
  for (int i = 0; i < agents; ++i) {
    const int opened = agentClientOpen(options, &made->slots[i].client);
    if (opened != AGENT_CLIENT_OK) {
      (void)agentPoolClose(made);
      return opened;
    }
    made->count = i + 1;
  }
  *pool = made;
  return AGENT_CLIENT_OK;
}

int agentPoolRequest(AgentPool* pool, int32_t request, const char* path, AgentReply* reply) {
  if (pool == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int index = TakeFreeWaiting(*pool);
  if (index < 0) return AGENT_CLIENT_TIMEOUT;
  const int result = agentClientRequest(pool->slots[index].client, request, path, reply);
  Give(*pool, index);
  return result;
}

int agentPoolPost(AgentPool* pool, int32_t request, const char* path, AgentTicket* ticket) {
  if (pool == nullptr || ticket == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int index = TakeFree(*pool);
  if (index < 0) return AGENT_CLIENT_NOT_READY;
  Slot& slot = pool->slots[index];
  const int sent = agentClientSend(slot.client, request, path);
  if (sent != AGENT_CLIENT_OK) {
    Give(*pool, index);
    return sent;
  }
  *ticket = AgentTicket{index, slot.serial.load()};
  slot.posted.store(true);
  return AGENT_CLIENT_OK;
}

int agentPoolCollect(AgentPool* pool, const AgentTicket* ticket, AgentReply* reply) {
  if (pool == nullptr || ticket == nullptr || reply == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int index = ticket->agent;
  if (index < 0 || index >= pool->count) return AGENT_CLIENT_BAD_ARGUMENT;
  Slot& slot = pool->slots[index];
  // Claimed here, so a second collect of the same ticket is refused.
  bool wasPosted = true;
  if (slot.serial.load() != ticket->serial ||
      !slot.posted.compare_exchange_strong(wasPosted, false)) {
    return AGENT_CLIENT_BAD_ARGUMENT;
  }
  const int result = agentClientReceive(slot.client, reply);
  Give(*pool, index);
  return result;
}

int agentPoolSize(const AgentPool* pool) { return pool == nullptr ? 0 : pool->count; }

const AgentClient* agentPoolClient(const AgentPool* pool, int index) {
  if (pool == nullptr || index < 0 || index >= pool->count) return nullptr;
  return pool->slots[index].client;
}

int agentPoolClose(AgentPool* pool) {
  if (pool == nullptr) return AGENT_CLIENT_OK;
  int result = AGENT_CLIENT_OK;
  for (int i = 0; i < pool->count; ++i) {
    const int closed = agentClientClose(pool->slots[i].client);
    if (result == AGENT_CLIENT_OK) result = closed;
  }
  delete pool;
  return result;
}

}  // extern "C"
