// Clients in containers: PID namespaces that share one IPC namespace, where
// process identifiers mean different processes on either side, and a client
// that is PID 1 of its namespace.
#include <qokit/qoagent.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "agent_process.h"
#include "ipc_check.h"

namespace {

constexpr int kRequests = 40;

qoagent_options Options() { return qoagent_options{STATAGENT_PATH, 0, 5000, 300, 0}; }

// The requests a client made that succeeded, or a negative status.
int ServeRequests(qoagent_client* client, int count) {
  int served = 0;
  for (int i = 0; i < count; ++i) {
    qoagent_reply reply = {};
    if (qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply) == QOAGENT_OK &&
        reply.result == 0) {
      ++served;
    }
  }
  return served;
}

// A client that reports its set, then on each "r" from `commands` serves
// kRequests requests and reports how many succeeded, until a "q".
int Victim(Pipe& report, Pipe& commands) {
  const qoagent_options options = Options();
  qoagent_client* client = nullptr;
  const int set = qoagent_open(&options, &client) == QOAGENT_OK ? qoagent_sem_id(client) : -1;
  report.Write(&set, sizeof set);
  char command;
  while (commands.Read(&command, 1, 20000) && command == 'r') {
    const int served = ServeRequests(client, kRequests);
    report.Write(&served, sizeof served);
  }
  return qoagent_close(client) == QOAGENT_OK ? 0 : 1;
}

// A client opened and closed: its open sweeps the sets of dead clients.
int Sweeper() {
  const qoagent_options options = Options();
  qoagent_client* client = nullptr;
  if (qoagent_open(&options, &client) != QOAGENT_OK) return 1;
  return ServeRequests(client, 1) == 1 && qoagent_close(client) == QOAGENT_OK ? 0 : 2;
}

struct Row {
  const char* name;
  Place victim;
  Place sweeper;
  bool victimKilled;
};

TEST(AgentNamespaceTest, SweepRemovesOnlyTheSetsOfDeadClientsWhateverTheirPidNamespace) {
  const Row rows[] = {
      {"live victim in a child namespace, sweep from here", Place::kNewPidNamespace, Place::kHere, false},
      {"live victim here, sweep from a child namespace", Place::kHere, Place::kNewPidNamespace, false},
      {"live victim and sweeper in sibling namespaces", Place::kNewPidNamespace,
       Place::kNewPidNamespace, false},
      {"killed victim in a child namespace, sweep from here", Place::kNewPidNamespace, Place::kHere, true},
      {"killed victim here, sweep from a child namespace", Place::kHere, Place::kNewPidNamespace, true},
      {"killed victim and sweeper in sibling namespaces", Place::kNewPidNamespace,
       Place::kNewPidNamespace, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Pipe report;
    Pipe commands;
    const Placed victim = StartPlaced(row.victim, [&] { return Victim(report, commands); });
    if (!victim.placed()) GTEST_SKIP() << "no new PID namespace here (unshare needs CAP_SYS_ADMIN)";
    int set = -1;
    ASSERT_TRUE(report.Read(&set, sizeof set));
    ASSERT_GE(set, 0);
    if (row.victimKilled) {
      kill(victim.pid, SIGKILL);
      EXPECT_EQ(ExitStatusWithin(victim.waiter, 5000), 128 + SIGKILL);
    }

    const Placed sweeper = StartPlaced(row.sweeper, Sweeper);
    ASSERT_TRUE(sweeper.placed());
    EXPECT_EQ(ExitStatusWithin(sweeper.waiter, 10000), 0);
    EXPECT_EQ(SemaphoreSetExists(set), !row.victimKilled);
    if (row.victimKilled) continue;

    int served = -1;
    ASSERT_TRUE(commands.Write("r", 1));
    ASSERT_TRUE(report.Read(&served, sizeof served));
    EXPECT_EQ(served, kRequests);
    ASSERT_TRUE(commands.Write("q", 1));
    EXPECT_EQ(ExitStatusWithin(victim.waiter, 10000), 0);
  }
}

// A container's entry point is PID 1 of its namespace; so is the agent's
// parent from the start.
TEST(AgentNamespaceTest, ClientThatIsPid1OfItsNamespaceIsServed) {
  const Placed client = StartPlaced(Place::kNewPidNamespace, [] {
    if (getpid() != 1) return 10;
    const qoagent_options options = Options();
    qoagent_client* opened = nullptr;
    const int result = qoagent_open(&options, &opened);
    if (result != QOAGENT_OK) return 20 - result;
    const int served = ServeRequests(opened, 3);
    return qoagent_close(opened) == QOAGENT_OK && served == 3 ? 0 : 1;
  });
  if (!client.placed()) GTEST_SKIP() << "no new PID namespace here (unshare needs CAP_SYS_ADMIN)";
  EXPECT_EQ(ExitStatusWithin(client.waiter, 10000), 0);
}

}  // namespace
