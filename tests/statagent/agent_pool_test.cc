// The pool of agents under concurrent threads, with posted requests, and
// with one agent hanging.
#include <qokit/qoagent.h>

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

qoagent_options Options(unsigned flags = 0, int timeoutMs = 5000) {
  return qoagent_options{STATAGENT_PATH, 0, timeoutMs, 300, flags};
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
  const qoagent_options options = Options();
  qoagent_pool* pool = nullptr;
  ASSERT_EQ(qoagent_pool_open(&options, 3, &pool), QOAGENT_OK);
  // More threads than agents, so that some wait for a free one.
  constexpr int kThreads = 5;
  constexpr int kRequests = 300;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRequests; ++i) {
        const int file = (t * 7 + i) % static_cast<int>(paths.size());
        qoagent_reply reply = {};
        if (qoagent_pool_request(pool, QOAGENT_REQUEST_LSTAT, paths[file].c_str(), &reply) !=
                QOAGENT_OK ||
            reply.result != 0 || reply.record.st.st_size != file) {
          ++wrong;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(qoagent_pool_close(pool), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

TEST(AgentPoolTest, OneThreadPostsToEveryAgentAndCollectsLater) {
  TempDir dir;
  const std::vector<std::string> paths = SizedFiles(dir, 4);
  const qoagent_options options = Options();
  qoagent_pool* pool = nullptr;
  ASSERT_EQ(qoagent_pool_open(&options, 3, &pool), QOAGENT_OK);
  for (int round = 0; round < 3; ++round) {
    qoagent_ticket tickets[3];
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(qoagent_pool_post(pool, QOAGENT_REQUEST_STAT, paths[i].c_str(), &tickets[i]),
                QOAGENT_OK);
    }
    qoagent_ticket extra;
    EXPECT_EQ(qoagent_pool_post(pool, QOAGENT_REQUEST_STAT, paths[3].c_str(), &extra),
              QOAGENT_ERR_NOT_READY);
    for (int i = 2; i >= 0; --i) {
      qoagent_reply reply = {};
      ASSERT_EQ(qoagent_pool_collect(pool, &tickets[i], &reply), QOAGENT_OK);
      EXPECT_EQ(reply.record.st.st_size, i);
      EXPECT_EQ(qoagent_pool_collect(pool, &tickets[i], &reply), QOAGENT_ERR_ARGUMENT);
    }
  }
  EXPECT_EQ(qoagent_pool_close(pool), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

TEST(AgentPoolTest, HangingAgentIsReplacedWhileTheOthersServe) {
  const qoagent_options options = Options(QOAGENT_RESTART, 300);
  qoagent_pool* pool = nullptr;
  ASSERT_EQ(qoagent_pool_open(&options, 2, &pool), QOAGENT_OK);
  ASSERT_EQ(kill(qoagent_pid(qoagent_pool_client(pool, 0)), SIGSTOP), 0);
  std::atomic<int> served{0};
  std::atomic<int> timedOut{0};
  std::atomic<int> other{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        qoagent_reply reply = {};
        const int result = qoagent_pool_request(pool, QOAGENT_REQUEST_LSTAT, "/", &reply);
        if (result == QOAGENT_OK && reply.result == 0) {
          ++served;
        } else if (result == QOAGENT_ERR_TIMEOUT) {
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
  EXPECT_EQ(qoagent_restarts(qoagent_pool_client(pool, 0)), 1u);
  EXPECT_EQ(qoagent_restarts(qoagent_pool_client(pool, 1)), 0u);
  EXPECT_EQ(qoagent_pool_close(pool), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

}  // namespace
