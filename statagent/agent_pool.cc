#include "agent_pool.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace {

struct Slot {
  AgentClient* client = nullptr;
  bool busy = false;
  bool posted = false;  // busy with a request that awaits agentPoolCollect
  unsigned serial = 0;
};

}  // namespace

struct AgentPool {
  std::mutex lock;
  std::condition_variable freed;
  int count = 0;
  int next = 0;  // where the search for a free agent starts, to spread the work
  int timeoutMs = AGENT_CLIENT_DEFAULT_TIMEOUT_MS;
  std::array<Slot, AGENT_POOL_MAX_AGENTS> slots;
};

namespace {

// The index of a free agent, now marked busy, or -1.
int TakeFree(AgentPool& pool) {
  for (int i = 0; i < pool.count; ++i) {
    const int index = (pool.next + i) % pool.count;
    if (!pool.slots[index].busy) {
      pool.slots[index].busy = true;
      pool.next = (index + 1) % pool.count;
      return index;
    }
  }
  return -1;
}

void Give(AgentPool& pool, int index) {
  {
    std::lock_guard<std::mutex> hold(pool.lock);
    Slot& slot = pool.slots[index];
    slot.busy = false;
    slot.posted = false;
    ++slot.serial;
  }
  pool.freed.notify_one();
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
  int index = -1;
  {
    std::unique_lock<std::mutex> hold(pool->lock);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(pool->timeoutMs);
    while ((index = TakeFree(*pool)) < 0) {
      if (pool->freed.wait_until(hold, deadline) == std::cv_status::timeout &&
          (index = TakeFree(*pool)) < 0) {
        return AGENT_CLIENT_TIMEOUT;
      }
      if (index >= 0) break;
    }
  }
  const int result = agentClientRequest(pool->slots[index].client, request, path, reply);
  Give(*pool, index);
  return result;
}

int agentPoolPost(AgentPool* pool, int32_t request, const char* path, AgentTicket* ticket) {
  if (pool == nullptr || ticket == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  int index;
  unsigned serial;
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    index = TakeFree(*pool);
    if (index < 0) return AGENT_CLIENT_NOT_READY;
    serial = pool->slots[index].serial;
  }
  const int sent = agentClientSend(pool->slots[index].client, request, path);
  if (sent != AGENT_CLIENT_OK) {
    Give(*pool, index);
    return sent;
  }
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    pool->slots[index].posted = true;
  }
  *ticket = AgentTicket{index, serial};
  return AGENT_CLIENT_OK;
}

int agentPoolCollect(AgentPool* pool, const AgentTicket* ticket, AgentReply* reply) {
  if (pool == nullptr || ticket == nullptr || reply == nullptr) return AGENT_CLIENT_BAD_ARGUMENT;
  const int index = ticket->agent;
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    if (index < 0 || index >= pool->count || !pool->slots[index].posted ||
        pool->slots[index].serial != ticket->serial) {
      return AGENT_CLIENT_BAD_ARGUMENT;
    }
    // Claimed here, so a second collect of the same ticket is refused.
    pool->slots[index].posted = false;
  }
  const int result = agentClientReceive(pool->slots[index].client, reply);
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
