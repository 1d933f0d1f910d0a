// Round trips through the status agent against direct stat calls on the same
// path: what a client pays for having the agent make the call.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "agent_client.h"

namespace {

using Clock = std::chrono::steady_clock;

// Calls `once` in batches until `seconds` have passed; returns calls per
// second, or a negative value when a call failed.
template <typename Call>
double Rate(double seconds, Call once) {
  constexpr long kBatch = 256;
  long calls = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    for (long i = 0; i < kBatch; ++i) {
      if (!once()) return -1;
    }
    calls += kBatch;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  return calls / elapsed;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <statagent> <path> [seconds]\n", argv[0]);
    return 2;
  }
  const char* path = argv[2];
  const double seconds = argc > 3 ? std::atof(argv[3]) : 1.0;

  AgentClientOptions options = {argv[1], 0, 5000, 0, 0};
  AgentClient* client = nullptr;
  if (agentClientOpen(&options, &client) != AGENT_CLIENT_OK) {
    std::fprintf(stderr, "the agent %s could not be started\n", argv[1]);
    return 1;
  }
  AgentReply reply;
  auto viaAgent = [&] {
    return agentClientRequest(client, AGENT_REQUEST_STAT, path, &reply) == AGENT_CLIENT_OK &&
           reply.result == 0;
  };
  struct stat direct;
  auto directly = [&] { return stat(path, &direct) == 0; };

  Rate(seconds / 10, viaAgent);
  const double agentRate = Rate(seconds, viaAgent);
  const double directRate = Rate(seconds, directly);
  const int closed = agentClientClose(client);
  if (agentRate <= 0 || directRate <= 0 || closed != AGENT_CLIENT_OK) {
    std::fprintf(stderr, "a stat of %s failed\n", path);
    return 1;
  }
  std::printf("path                         %s\n", path);
  std::printf("agent round trips per second %12.0f\n", agentRate);
  std::printf("direct stat calls per second %12.0f\n", directRate);
  std::printf("ratio direct / agent         %12.1f\n", directRate / agentRate);
  return 0;
}
