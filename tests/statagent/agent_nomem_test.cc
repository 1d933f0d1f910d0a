// The client library under an allocator that fails the Nth allocation: every
// entry point that allocates returns QOAGENT_ERR_NOMEM for each N short of
// success, never aborts and leaves no allocation, no IPC object and no
// process behind; the request path allocates nothing at all.
#include <qokit/qoagent.h>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "failing_allocator.h"

namespace {

qoagent_options Options() { return qoagent_options{STATAGENT_PATH, 0, 5000, 0, 0}; }

bool NoChildLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// Runs `open` with allocation N failing, for N = 0, 1, ... until it
// succeeds, then `close` on what it opened.
void FailEachAllocationUntilItOpens(const std::function<int()>& open,
                                    const std::function<int()>& close) {
  for (long n = 0;; ++n) {
    ASSERT_LT(n, 100) << "never opened";
    const long before = failing_allocator::Live();
    failing_allocator::FailAfter(n);
    const int result = open();
    failing_allocator::FailAfter(-1);
    if (result == QOAGENT_OK) {
      EXPECT_GT(n, 0) << "nothing was allocated";
      EXPECT_EQ(close(), QOAGENT_OK);
      EXPECT_EQ(failing_allocator::Live(), before) << "close left allocations";
      return;
    }
    EXPECT_EQ(result, QOAGENT_ERR_NOMEM) << "allocation " << n;
    EXPECT_EQ(failing_allocator::Live(), before) << "allocation " << n << " failed and left allocations";
    EXPECT_TRUE(NoChildLeft()) << "allocation " << n;
  }
}

TEST(AgentNoMemoryTest, OpenReturnsNomemForEveryAllocationThatFails) {
  qoagent_client* client = nullptr;
  const qoagent_options options = Options();
  FailEachAllocationUntilItOpens([&] { return qoagent_open(&options, &client); },
                                 [&] { return qoagent_close(client); });
}

TEST(AgentNoMemoryTest, PoolOpenReturnsNomemForEveryAllocationThatFails) {
  qoagent_pool* pool = nullptr;
  const qoagent_options options = Options();
  FailEachAllocationUntilItOpens([&] { return qoagent_pool_open(&options, 3, &pool); },
                                 [&] { return qoagent_pool_close(pool); });
}

TEST(AgentNoMemoryTest, RequestsAllocateNothing) {
  const qoagent_options options = Options();
  qoagent_client* client = nullptr;
  qoagent_pool* pool = nullptr;
  ASSERT_EQ(qoagent_open(&options, &client), QOAGENT_OK);
  ASSERT_EQ(qoagent_pool_open(&options, 2, &pool), QOAGENT_OK);
  qoagent_reply reply = {};
  qoagent_ticket ticket = {};
  failing_allocator::FailAfter(0);
  const int results[] = {
      qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply),
      qoagent_send(client, QOAGENT_REQUEST_STAT, "relative"),
      qoagent_receive(client, &reply),
      qoagent_post(client, QOAGENT_REQUEST_STATFS),
      qoagent_pool_request(pool, QOAGENT_REQUEST_LSTAT, "/", &reply),
      qoagent_pool_post(pool, QOAGENT_REQUEST_LSTAT, "/", &ticket),
      qoagent_pool_collect(pool, &ticket, &reply),
  };
  failing_allocator::FailAfter(-1);
  for (const int result : results) EXPECT_EQ(result, QOAGENT_OK) << qoagent_strerror(result);
  EXPECT_EQ(qoagent_pool_close(pool), QOAGENT_OK);
  EXPECT_EQ(qoagent_close(client), QOAGENT_OK);
}

}  // namespace
