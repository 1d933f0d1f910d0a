// What a backup client pays for making its status calls through the agent,
// measured side by side in one run:
//   - direct lstat on the paths of a real tree (the cost without an agent);
//   - the floor: a bare two-process semaphore ping-pong whose serving side
//     makes the same lstat, i.e. the least any agent of this shape can cost;
//   - the agent through the client library on the same paths;
//   - a pool of 1, 2 and 4 agents driven by as many threads, and by one
//     thread that posts to every agent before it collects.
// Each measurement runs several times, interleaved with the others, and the
// median rate is reported, so that drifts of the machine hit all alike.
#include <ftw.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/sem.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "agent_client.h"
#include "agent_pool.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxPaths = 200000;
constexpr int kRounds = 5;

std::vector<std::string>* treePaths = nullptr;

int AddPath(const char* path, const struct stat*, int, struct FTW*) {
  treePaths->emplace_back(path);
  return treePaths->size() >= kMaxPaths ? 1 : 0;
}

// Calls `once(i)` for i = 0, 1, ... in batches until `seconds` have passed;
// returns calls per second, or a negative value when a call failed.
double Rate(double seconds, const std::function<bool(std::size_t)>& once) {
  constexpr std::size_t kBatch = 512;
  std::size_t calls = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    for (std::size_t i = 0; i < kBatch; ++i) {
      if (!once(calls + i)) return -1;
    }
    calls += kBatch;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  return static_cast<double>(calls) / elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The floor: a served process that waits on semaphore 0, makes the lstat
// (when asked to) on the path in shared memory and posts semaphore 1.
class PingPong {
 public:
  PingPong(bool withStat) {
    shared_ = static_cast<char*>(
        mmap(nullptr, PATH_MAX, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    semId_ = semget(IPC_PRIVATE, 2, IPC_CREAT | 0600);
    if (shared_ == MAP_FAILED || semId_ < 0) return;
    server_ = fork();
    if (server_ == 0) {
      struct stat record;
      for (;;) {
        struct sembuf wait = {0, -1, 0};
        if (semop(semId_, &wait, 1) != 0) _exit(0);
        if (withStat) lstat(shared_, &record);
        struct sembuf post = {1, 1, 0};
        if (semop(semId_, &post, 1) != 0) _exit(0);
      }
    }
  }
  ~PingPong() {
    if (semId_ >= 0) semctl(semId_, 0, IPC_RMID);
    if (server_ > 0) waitpid(server_, nullptr, 0);
    if (shared_ != MAP_FAILED) munmap(shared_, PATH_MAX);
  }
  bool ok() const { return server_ > 0; }
  bool Once(const std::string& path) {
    std::memcpy(shared_, path.c_str(), path.size() + 1);
    struct sembuf post = {0, 1, 0};
    struct sembuf wait = {1, -1, 0};
    return semop(semId_, &post, 1) == 0 && semop(semId_, &wait, 1) == 0;
  }

 private:
  char* shared_ = static_cast<char*>(MAP_FAILED);
  int semId_ = -1;
  pid_t server_ = -1;
};

// Requests per second of `threads` threads sharing a pool of as many agents.
double PoolRate(AgentPool* pool, int threads, double seconds,
                const std::vector<std::string>& paths) {
  std::atomic<bool> failed{false};
  std::vector<double> rates(static_cast<std::size_t>(threads));
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      const std::size_t offset = paths.size() * static_cast<std::size_t>(t) / threads;
      AgentReply reply;
      rates[static_cast<std::size_t>(t)] = Rate(seconds, [&](std::size_t i) {
        const std::string& path = paths[(offset + i) % paths.size()];
        return agentPoolRequest(pool, AGENT_REQUEST_LSTAT, path.c_str(), &reply) ==
               AGENT_CLIENT_OK;
      });
      if (rates[static_cast<std::size_t>(t)] < 0) failed = true;
    });
  }
  for (auto& worker : workers) worker.join();
  if (failed) return -1;
  double total = 0;
  for (double rate : rates) total += rate;
  return total;
}

// Requests per second of one thread that posts one request to every agent
// of the pool and then collects the replies.
double PostedRate(AgentPool* pool, double seconds, const std::vector<std::string>& paths) {
  const int agents = agentPoolSize(pool);
  std::vector<AgentTicket> tickets(static_cast<std::size_t>(agents));
  AgentReply reply;
  const double rounds = Rate(seconds, [&](std::size_t i) {
    for (int a = 0; a < agents; ++a) {
      const std::string& path = paths[(i * agents + a) % paths.size()];
      if (agentPoolPost(pool, AGENT_REQUEST_LSTAT, path.c_str(), &tickets[a]) != AGENT_CLIENT_OK) {
        return false;
      }
    }
    for (int a = 0; a < agents; ++a) {
      if (agentPoolCollect(pool, &tickets[a], &reply) != AGENT_CLIENT_OK) return false;
    }
    return true;
  });
  return rounds < 0 ? -1 : rounds * agents;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <statagent> [tree] [seconds per measurement]\n", argv[0]);
    return 2;
  }
  const char* tree = argc > 2 ? argv[2] : "/usr";
  const double seconds = argc > 3 ? std::atof(argv[3]) : 0.5;

  std::vector<std::string> paths;
  treePaths = &paths;
  nftw(tree, AddPath, 32, FTW_PHYS);
  if (paths.empty()) {
    std::fprintf(stderr, "no paths under %s\n", tree);
    return 1;
  }

  AgentClientOptions options = {argv[1], 0, 5000, 0, 0};
  AgentClient* client = nullptr;
  if (agentClientOpen(&options, &client) != AGENT_CLIENT_OK) {
    std::fprintf(stderr, "the agent %s could not be started\n", argv[1]);
    return 1;
  }
  PingPong floor(true);
  PingPong bare(false);
  if (!floor.ok() || !bare.ok()) {
    std::fprintf(stderr, "the ping-pong could not be set up\n");
    return 1;
  }

  AgentReply reply;
  struct stat record;
  const auto& at = [&](std::size_t i) -> const std::string& { return paths[i % paths.size()]; };
  std::vector<std::function<bool(std::size_t)>> calls = {
      // A path gone since the walk is a call made all the same.
      [&](std::size_t i) {
        lstat(at(i).c_str(), &record);
        return true;
      },
      [&](std::size_t i) { return floor.Once(at(i)); },
      [&](std::size_t i) { return bare.Once(at(i)); },
      [&](std::size_t i) {
        return agentClientRequest(client, AGENT_REQUEST_LSTAT, at(i).c_str(), &reply) ==
               AGENT_CLIENT_OK;
      },
  };
  for (auto& call : calls) Rate(seconds / 5, call);  // warm the caches
  std::vector<std::vector<double>> rates(calls.size());
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t c = 0; c < calls.size(); ++c) {
      const double rate = Rate(seconds, calls[c]);
      if (rate < 0) {
        std::fprintf(stderr, "a call failed\n");
        return 1;
      }
      rates[c].push_back(rate);
    }
  }
  if (agentClientClose(client) != AGENT_CLIENT_OK) return 1;

  const double direct = Median(rates[0]);
  const double floorRate = Median(rates[1]);
  const double bareRate = Median(rates[2]);
  const double agent = Median(rates[3]);
  std::printf("tree                            %s (%zu paths)\n", tree, paths.size());
  std::printf("direct lstat per second         %10.0f  %6.2f us\n", direct, 1e6 / direct);
  std::printf("bare ping-pong per second       %10.0f  %6.2f us\n", bareRate, 1e6 / bareRate);
  std::printf("floor (ping-pong + lstat) /s    %10.0f  %6.2f us\n", floorRate, 1e6 / floorRate);
  std::printf("agent round trips per second    %10.0f  %6.2f us\n", agent, 1e6 / agent);
  std::printf("ratio agent / direct lstat      %10.2f\n", direct / agent);
  std::printf("ratio agent / floor             %10.2f\n", floorRate / agent);

  const int sizes[] = {1, 2, 4};
  std::vector<std::vector<double>> poolRates(3);
  std::vector<std::vector<double>> postedRates(3);
  std::vector<AgentPool*> pools;
  for (int size : sizes) {
    AgentPool* pool = nullptr;
    if (agentPoolOpen(&options, size, &pool) != AGENT_CLIENT_OK) {
      std::fprintf(stderr, "a pool of %d agents could not be opened\n", size);
      return 1;
    }
    pools.push_back(pool);
  }
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t p = 0; p < pools.size(); ++p) {
      const double rate = PoolRate(pools[p], sizes[p], seconds, paths);
      if (rate < 0) {
        std::fprintf(stderr, "a pool request failed\n");
        return 1;
      }
      poolRates[p].push_back(rate);
      const double posted = PostedRate(pools[p], seconds, paths);
      if (posted < 0) {
        std::fprintf(stderr, "a posted request failed\n");
        return 1;
      }
      postedRates[p].push_back(posted);
    }
  }
  const double single = Median(poolRates[0]);
  for (std::size_t p = 0; p < pools.size(); ++p) {
    const double rate = Median(poolRates[p]);
    const double posted = Median(postedRates[p]);
    std::printf("pool of %d agents, %d threads     %10.0f /s  scaling %4.2f\n", sizes[p], sizes[p],
                rate, rate / single);
    std::printf("pool of %d agents, 1 thread posts %10.0f /s  scaling %4.2f\n", sizes[p], posted,
                posted / single);
    if (agentPoolClose(pools[p]) != AGENT_CLIENT_OK) return 1;
  }
  std::printf("cores online                    %10ld\n", sysconf(_SC_NPROCESSORS_ONLN));
  return 0;
}
