// What a backup client pays for making its status calls through the agent,
// measured side by side in one run:
//   - direct lstat on the paths of a real tree (the cost without an agent);
//   - the floor: a bare two-process semaphore ping-pong whose serving side
//     makes the same lstat, i.e. the least any agent of this shape can cost;
//   - the agent through the client library on the same paths;
//   - the floor and the agent again with the client and its server pinned to
//     one core, where a round trip is two context switches and no wake-up of
//     another core, so that the library's and the agent's own work shows;
//   - a pool of 1, 2 and 4 agents driven by as many threads, and by one
//     thread that posts to every agent before it collects.
// Each measurement runs several times, interleaved with the others, and the
// median rate is reported, so that drifts of the machine hit all alike.
//
// With --count KIND N it makes exactly N calls of one kind (direct, floor or
// agent) and prints the process identifiers of the client and its server,
// for run.sh to read instruction counts off callgrind.
#include <ftw.h>
#include <sched.h>
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
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <qokit/qoagent.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

std::vector<std::string>* treePaths = nullptr;
std::size_t maxPaths = 200000;

int AddPath(const char* path, const struct stat*, int, struct FTW*) {
  treePaths->emplace_back(path);
  return treePaths->size() >= maxPaths ? 1 : 0;
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

// The calling thread on one core (the last it may use), or on every core it
// may use; processes started meanwhile inherit the choice.
class Affinity {
 public:
  Affinity() { sched_getaffinity(0, sizeof all_, &all_); }
  void Pin(bool pinned) const {
    if (!pinned) {
      sched_setaffinity(0, sizeof all_, &all_);
      return;
    }
    int last = -1;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
      if (CPU_ISSET(cpu, &all_)) last = cpu;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(last, &one);
    sched_setaffinity(0, sizeof one, &one);
  }

 private:
  cpu_set_t all_;
};

// The floor: a served process that waits on semaphore 0, makes the lstat
// (when asked to) on the path in shared memory and posts semaphore 1.
class PingPong {
 public:
  explicit PingPong(bool withStat) {
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
  PingPong(const PingPong&) = delete;
  PingPong& operator=(const PingPong&) = delete;
  bool ok() const { return server_ > 0; }
  pid_t server() const { return server_; }
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

// An agent through the client library.
class Agent {
 public:
  explicit Agent(const char* program, int timeoutMs = 5000) {
    qoagent_options options = {program, 0, timeoutMs, 0, 0};
    if (qoagent_open(&options, &client_) != QOAGENT_OK) client_ = nullptr;
  }
  ~Agent() { qoagent_close(client_); }
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;
  bool ok() const { return client_ != nullptr; }
  pid_t server() const { return qoagent_pid(client_); }
  bool Once(const std::string& path) {
    return qoagent_request(client_, QOAGENT_REQUEST_LSTAT, path.c_str(), &reply_) ==
           QOAGENT_OK;
  }
  // Ends the agent by an exit of its own (an unlisted request code), which a
  // profiler under it sees, unlike the SIGKILL of a close.
  void End() { qoagent_request(client_, 1, "/", &reply_); }

 private:
  qoagent_client* client_ = nullptr;
  qoagent_reply reply_ = {};
};

// Requests per second of `threads` threads sharing a pool of as many agents.
double PoolRate(qoagent_pool* pool, int threads, double seconds,
                const std::vector<std::string>& paths) {
  std::atomic<bool> failed{false};
  std::vector<double> rates(static_cast<std::size_t>(threads));
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      const std::size_t offset = paths.size() * static_cast<std::size_t>(t) / threads;
      qoagent_reply reply;
      rates[static_cast<std::size_t>(t)] = Rate(seconds, [&](std::size_t i) {
        const std::string& path = paths[(offset + i) % paths.size()];
        return qoagent_pool_request(pool, QOAGENT_REQUEST_LSTAT, path.c_str(), &reply) ==
               QOAGENT_OK;
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
double PostedRate(qoagent_pool* pool, double seconds, const std::vector<std::string>& paths) {
  const int agents = qoagent_pool_size(pool);
  std::vector<qoagent_ticket> tickets(static_cast<std::size_t>(agents));
  qoagent_reply reply;
  const double rounds = Rate(seconds, [&](std::size_t i) {
    for (int a = 0; a < agents; ++a) {
      const std::string& path = paths[(i * agents + a) % paths.size()];
      if (qoagent_pool_post(pool, QOAGENT_REQUEST_LSTAT, path.c_str(), &tickets[a]) != QOAGENT_OK) {
        return false;
      }
    }
    for (int a = 0; a < agents; ++a) {
      if (qoagent_pool_collect(pool, &tickets[a], &reply) != QOAGENT_OK) return false;
    }
    return true;
  });
  return rounds < 0 ? -1 : rounds * agents;
}

// Exactly `count` calls of one kind, for an instruction count; prints the
// identifiers of this process and of its server (0 for direct lstat).
int CountCalls(const char* program, const std::string& kind, std::size_t count,
               const std::vector<std::string>& paths) {
  std::unique_ptr<PingPong> floor;
  std::unique_ptr<Agent> agent;
  std::function<bool(const std::string&)> once;
  pid_t server = 0;
  struct stat record;
  if (kind == "direct") {
    once = [&](const std::string& path) { return lstat(path.c_str(), &record) == 0 || true; };
  } else if (kind == "floor") {
    floor = std::make_unique<PingPong>(true);
    if (!floor->ok()) return 1;
    once = [&](const std::string& path) { return floor->Once(path); };
    server = floor->server();
  } else if (kind == "agent") {
    // Under a profiler the agent starts many times slower.
    agent = std::make_unique<Agent>(program, 15000);
    if (!agent->ok()) return 1;
    once = [&](const std::string& path) { return agent->Once(path); };
    server = agent->server();
  } else {
    std::fprintf(stderr, "unknown kind %s (direct, floor, agent)\n", kind.c_str());
    return 2;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!once(paths[i % paths.size()])) return 1;
  }
  if (agent) agent->End();
  std::printf("%d %d\n", static_cast<int>(getpid()), static_cast<int>(server));
  return 0;
}

void Row(const char* name, double unpinned, double pinned) {
  std::printf("%-32s %10.0f %7.2f   %10.0f %7.2f\n", name, unpinned, 1e6 / unpinned, pinned,
              1e6 / pinned);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: %s <statagent> [tree] [seconds per measurement]\n"
                 "       %s <statagent> --count direct|floor|agent N [tree]\n",
                 argv[0], argv[0]);
    return 2;
  }
  const bool counting = argc > 4 && std::strcmp(argv[2], "--count") == 0;
  const char* tree = counting ? (argc > 5 ? argv[5] : "/usr") : (argc > 2 ? argv[2] : "/usr");
  const double seconds = !counting && argc > 3 ? std::atof(argv[3]) : 0.5;

  std::vector<std::string> paths;
  treePaths = &paths;
  if (counting) maxPaths = 2000;
  nftw(tree, AddPath, 32, FTW_PHYS);
  if (paths.empty()) {
    std::fprintf(stderr, "no paths under %s\n", tree);
    return 1;
  }
  if (counting) return CountCalls(argv[1], argv[3], std::strtoul(argv[4], nullptr, 10), paths);

  // The pinned floor and agent are started while this thread is pinned, so
  // that they are pinned to the same core.
  const Affinity affinity;
  Agent agent(argv[1]);
  PingPong floor(true);
  PingPong bare(false);
  affinity.Pin(true);
  Agent pinnedAgent(argv[1]);
  PingPong pinnedFloor(true);
  PingPong pinnedBare(false);
  affinity.Pin(false);
  if (!agent.ok() || !pinnedAgent.ok()) {
    std::fprintf(stderr, "the agent %s could not be started\n", argv[1]);
    return 1;
  }
  if (!floor.ok() || !bare.ok() || !pinnedFloor.ok() || !pinnedBare.ok()) {
    std::fprintf(stderr, "the ping-pong could not be set up\n");
    return 1;
  }

  struct stat record;
  const auto& at = [&](std::size_t i) -> const std::string& { return paths[i % paths.size()]; };
  struct Measured {
    bool pinned;
    std::function<bool(std::size_t)> call;
  };
  const std::vector<Measured> calls = {
      // A path gone since the walk is a call made all the same.
      {false, [&](std::size_t i) { return lstat(at(i).c_str(), &record) == 0 || true; }},
      {false, [&](std::size_t i) { return bare.Once(at(i)); }},
      {false, [&](std::size_t i) { return floor.Once(at(i)); }},
      {false, [&](std::size_t i) { return agent.Once(at(i)); }},
      {true, [&](std::size_t i) { return lstat(at(i).c_str(), &record) == 0 || true; }},
      {true, [&](std::size_t i) { return pinnedBare.Once(at(i)); }},
      {true, [&](std::size_t i) { return pinnedFloor.Once(at(i)); }},
      {true, [&](std::size_t i) { return pinnedAgent.Once(at(i)); }},
  };
  for (const Measured& measured : calls) {  // warm the caches
    affinity.Pin(measured.pinned);
    Rate(seconds / 5, measured.call);
  }
  std::vector<std::vector<double>> rates(calls.size());
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t c = 0; c < calls.size(); ++c) {
      affinity.Pin(calls[c].pinned);
      const double rate = Rate(seconds, calls[c].call);
      if (rate < 0) {
        std::fprintf(stderr, "a call failed\n");
        return 1;
      }
      rates[c].push_back(rate);
    }
  }
  affinity.Pin(false);
  std::vector<double> median;
  for (const auto& measured : rates) median.push_back(Median(measured));

  std::printf("tree %s (%zu paths), %ld cores online\n", tree, paths.size(),
              sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%-32s %10s %7s   %10s %7s\n", "", "unpinned/s", "us", "pinned/s", "us");
  Row("direct lstat", median[0], median[4]);
  Row("bare ping-pong", median[1], median[5]);
  Row("floor (ping-pong + lstat)", median[2], median[6]);
  Row("agent round trip", median[3], median[7]);
  std::printf("%-32s %18.2f   %18.2f\n", "agent / floor (time)", median[2] / median[3],
              median[6] / median[7]);
  std::printf("%-32s %18.2f   %18.2f\n", "agent / direct lstat (time)", median[0] / median[3],
              median[4] / median[7]);

  qoagent_options options = {argv[1], 0, 5000, 0, 0};
  const int sizes[] = {1, 2, 4};
  std::vector<std::vector<double>> poolRates(3);
  std::vector<std::vector<double>> postedRates(3);
  std::vector<qoagent_pool*> pools;
  for (int size : sizes) {
    qoagent_pool* pool = nullptr;
    if (qoagent_pool_open(&options, size, &pool) != QOAGENT_OK) {
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
    if (qoagent_pool_close(pools[p]) != QOAGENT_OK) return 1;
  }
  return 0;
}
