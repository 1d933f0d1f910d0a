// The agent program, started by hand, where it used to serve or spin for
// ever: a removed or invalid semaphore set, a wait that always succeeds once
// the client has gone, a client gone before the agent could record its
// parent, and identifiers that are no numbers.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "agent_process.h"
#include "qoagent_segment.h"
#include "ipc_check.h"

namespace {

constexpr std::size_t kSegmentSize = 4096;

bool BecomesReady(int semId, int timeoutMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (SemaphoreValue(semId, 1) < 1) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A segment and set prepared as a client of the wake-semaphore kind does.
struct Client {
  Client() {
    view().semId = set.id();
    view().waitOp = {2, -1, 0};
  }
  AgentSegment& view() { return *reinterpret_cast<AgentSegment*>(segment.bytes()); }
  ScopedSegment segment{kSegmentSize};
  ScopedSemaphoreSet set{3};
};

TEST(AgentMendTest, UnusableSetEndsTheWaitingAgentWith255) {
  struct Row {
    const char* name;
    void (*spoil)(Client&);
  } rows[] = {
      {"set removed", [](Client& client) { semctl(client.set.id(), 0, IPC_RMID); }},
      // The agent reads the identifier and the wait anew at every use, so
      // these take effect after one more request.
      {"identifier made invalid", [](Client& client) {
         client.view().semId = -1;
         struct sembuf wake = {2, 1, 0};
         semop(client.set.id(), &wake, 1);
       }},
      {"wait names no semaphore of the set", [](Client& client) {
         client.view().waitOp = {7, -1, 0};
         struct sembuf wake = {2, 1, 0};
         semop(client.set.id(), &wake, 1);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Client client;
    const pid_t agent = SpawnProgram(STATAGENT_PATH, {std::to_string(client.segment.id())});
    ASSERT_GT(agent, 0);
    ASSERT_TRUE(BecomesReady(client.set.id()));
    row.spoil(client);
    EXPECT_EQ(ExitStatusWithin(agent, 2000), 255);
  }
  EXPECT_TRUE(NoIpcLeftBy(getpid(), 0));
}

TEST(AgentMendTest, TrailingCharactersAfterTheIdentifierAreIgnored) {
  Client client;
  const pid_t agent = SpawnProgram(STATAGENT_PATH, {std::to_string(client.segment.id()) + "junk"});
  ASSERT_GT(agent, 0);
  EXPECT_TRUE(BecomesReady(client.set.id()));
  EXPECT_EQ(ExitStatusWithin(agent, 0), -1) << "the agent should have been serving";
}

// The client is a child that starts the agent, lets it run a while and ends;
// this process adopts the agent, so its parent changes to a process other
// than 1. A wait that never blocks makes the agent serve without pause; it
// must stop as soon as its parent has gone, not at its next 2-second check.
TEST(AgentMendTest, AgentWhoseWaitNeverBlocksEndsAtOnceWhenTheParentHasGone) {
  const struct {
    const char* name;
    struct sembuf waitOp;
  } rows[] = {
      {"wait for the request semaphore to be zero", {0, 0, 0}},
      {"add to the reply semaphore", {1, 1, 0}},
      {"take the wake semaphore without waiting", {2, -1, IPC_NOWAIT}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Subreaper reaper;
    ScopedSegment segment(kSegmentSize);
    ScopedSemaphoreSet set(3);
    ASSERT_NE(segment.bytes(), nullptr);
    // All zero but the set and the wait: every request is a statfs of "".
    auto& view = *reinterpret_cast<AgentSegment*>(segment.bytes());
    view.semId = set.id();
    view.waitOp = row.waitOp;
    Pipe pipe;
    const int client = StatusOfChild([&] {
      const pid_t agent = SpawnProgram(STATAGENT_PATH, {std::to_string(segment.id())});
      // Ready means the agent has recorded this process as its parent.
      const bool ready = BecomesReady(set.id()) && pipe.Write(&agent, sizeof agent);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      return ready ? 0 : 1;
    });
    ASSERT_EQ(client, 0);
    pid_t agent = -1;
    ASSERT_TRUE(pipe.Read(&agent, sizeof agent));
    ASSERT_GT(agent, 0);
    EXPECT_EQ(ExitStatusWithin(agent, 500), 1);
  }
}

// The client makes its own segment and set and starts the agent through a
// process that execs it only after the client has ended.
TEST(AgentMendTest, ClientGoneBeforeTheAgentStartedEndsItWith1) {
  Subreaper reaper;
  Pipe pipe;
  const int client = StatusOfChild([&] {
    const int shmId = shmget(IPC_PRIVATE, kSegmentSize, IPC_CREAT | 0600);
    const int semId = semget(IPC_PRIVATE, 3, IPC_CREAT | 0600);
    auto* view = static_cast<AgentSegment*>(shmat(shmId, nullptr, 0));
    view->semId = semId;
    view->waitOp = {2, -1, 0};
    const pid_t self = getpid();
    const pid_t late = fork();
    if (late == 0) {
      while (getppid() == self) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      const std::string id = std::to_string(shmId);
      execl(STATAGENT_PATH, STATAGENT_PATH, id.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const int sent[3] = {late, shmId, semId};
    return pipe.Write(sent, sizeof sent) ? 0 : 1;
  });
  ASSERT_EQ(client, 0);
  int got[3] = {-1, -1, -1};
  ASSERT_TRUE(pipe.Read(got, sizeof got));
  const int status = ExitStatusWithin(got[0], 1500);
  semctl(got[2], 0, IPC_RMID);
  shmctl(got[1], IPC_RMID, nullptr);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(SemaphoreValue(got[2], 1), -1);
  EXPECT_FALSE(SegmentExists(got[1]));
}

}  // namespace
