// The pool of agents under concurrent threads, with posted requests, and
// with one agent hanging.
#include "agent_pool.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ipc_check.h"
#include "temp_dir.h"

namespace {

AgentClientOptions Options(unsigned flags = 0, int timeoutMs = 5000) {
  return AgentClientOptions{STATAGENT_PATH, 0, timeoutMs, 300, flags};
}

// Files whose sizes tell them apart: file i holds i bytes.
std::vector<std::string> SizedFiles(const TempDir& dir, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back(dir.Write(std::string("f").append(std::to_string(i)), std::string(i, 'x')).string());
  }
  return paths;
}

TEST(AgentPoolTest, ConcurrentThreadsEachGetTheirOwnReplies) {
  TempDir dir;
  const std::vector<std::string> paths = SizedFiles(dir, 37);
  const AgentClientOptions options = Options();
  AgentPool* pool = nullptr;
  ASSERT_EQ(agentPoolOpen(&options, 3, &pool), AGENT_CLIENT_OK);
  // More threads than agents, so that some wait for a free one.
  constexpr int kThreads = 5;
  constexpr int kRequests = 300;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRequests; ++i) {
        const int file = (t * 7 + i) % static_cast<int>(paths.size());
        AgentReply reply = {};
        if (agentPoolRequest(pool, AGENT_REQUEST_LSTAT, paths[file].c_str(), &reply) !=
                AGENT_CLIENT_OK ||
            reply.result != 0 || reply.record.st.st_size != file) {
          ++wrong;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(agentPoolClose(pool), AGENT_CLIENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

TEST(AgentPoolTest, OneThreadPostsToEveryAgentAndCollectsLater) {
  TempDir dir;
  const std::vector<std::string> paths = SizedFiles(dir, 4);
  const AgentClientOptions options = Options();
  AgentPool* pool = nullptr;
  ASSERT_EQ(agentPoolOpen(&options, 3, &pool), AGENT_CLIENT_OK);
  for (int round = 0; round < 3; ++round) {
    AgentTicket tickets[3];
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(agentPoolPost(pool, AGENT_REQUEST_STAT, paths[i].c_str(), &tickets[i]),
                AGENT_CLIENT_OK);
    }
    AgentTicket extra;
    EXPECT_EQ(agentPoolPost(pool, AGENT_REQUEST_STAT, paths[3].c_str(), &extra),
              AGENT_CLIENT_NOT_READY);
    for (int i = 2; i >= 0; --i) {
      AgentReply reply = {};
      ASSERT_EQ(agentPoolCollect(pool, &tickets[i], &reply), AGENT_CLIENT_OK);
      EXPECT_EQ(reply.record.st.st_size, i);
      EXPECT_EQ(agentPoolCollect(pool, &tickets[i], &reply), AGENT_CLIENT_BAD_ARGUMENT);
    }
  }
  EXPECT_EQ(agentPoolClose(pool), AGENT_CLIENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

TEST(AgentPoolTest, HangingAgentIsReplacedWhileTheOthersServe) {
  const AgentClientOptions options = Options(AGENT_CLIENT_RESTART, 300);
  AgentPool* pool = nullptr;
  ASSERT_EQ(agentPoolOpen(&options, 2, &pool), AGENT_CLIENT_OK);
  ASSERT_EQ(kill(agentClientPid(agentPoolClient(pool, 0)), SIGSTOP), 0);
  std::atomic<int> served{0};
  std::atomic<int> timedOut{0};
  std::atomic<int> other{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        AgentReply reply = {};
        const int result = agentPoolRequest(pool, AGENT_REQUEST_LSTAT, "/", &reply);
        if (result == AGENT_CLIENT_OK && reply.result == 0) {
          ++served;
        } else if (result == AGENT_CLIENT_TIMEOUT) {
          ++timedOut;
        } else {
          ++other;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(timedOut.load(), 1) << "only the request on the stopped agent times out";
  EXPECT_EQ(served.load(), 149);
  EXPECT_EQ(other.load(), 0);
  EXPECT_EQ(agentClientRestarts(agentPoolClient(pool, 0)), 1u);
  EXPECT_EQ(agentClientRestarts(agentPoolClient(pool, 1)), 0u);
  EXPECT_EQ(agentPoolClose(pool), AGENT_CLIENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

}  // namespace
