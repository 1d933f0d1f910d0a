// The client library where a backup client meets trouble: a status call that
// never returns (an agent stopped with SIGSTOP everywhere, and a FUSE file
// system whose calls block for ever where FUSE is available), a client killed
// with SIGKILL, fork, a host that reaps every child, inherited descriptors
// and Ctrl-C. Every test ends by proving that no segment and no set is left.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <qokit/qoagent.h>
#include "agent_process.h"
#include "ipc_check.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kTimeoutMs = 300;
constexpr int kCloseTimeoutMs = 300;
// What a bounded call may take beyond its bound on a loaded machine.
constexpr auto kSlack = milliseconds(700);

qoagent_options Options(unsigned flags = 0, int timeoutMs = kTimeoutMs) {
  return qoagent_options{STATAGENT_PATH, 0, timeoutMs, kCloseTimeoutMs, flags};
}

qoagent_client* OpenClient(const qoagent_options& options) {
  qoagent_client* client = nullptr;
  EXPECT_EQ(qoagent_open(&options, &client), QOAGENT_OK);
  return client;
}

// True once the library itself has reaped `agent` (a later open and close
// collects an abandoned one), waiting at most a few seconds.
bool ReapedByTheLibrary(pid_t agent) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline) {
    if (waitpid(agent, nullptr, WNOHANG) < 0 && errno == ECHILD) return true;
    const qoagent_options options = Options();
    qoagent_client* client = nullptr;
    if (qoagent_open(&options, &client) == QOAGENT_OK) qoagent_close(client);
    std::this_thread::sleep_for(milliseconds(20));
  }
  return false;
}

enum class Hang { kStoppedAgent, kFuseCall };

// The status call that does not return: either the agent is stopped, or the
// path lies on a file system whose server never answers.
class HangTest : public ::testing::TestWithParam<Hang> {
 protected:
  void SetUp() override {
    if (GetParam() == Hang::kFuseCall) StartFileSystem();
  }

  void TearDown() override {
    ReleaseFileSystem();
    EXPECT_TRUE(NoIpcLeftBy(getpid())) << "a segment or a set was left behind";
  }

  // Makes the next request on `client` hang; returns the path to ask for.
  std::string Hang(qoagent_client* client) {
    if (GetParam() == Hang::kStoppedAgent) {
      EXPECT_EQ(kill(qoagent_pid(client), SIGSTOP), 0);
      return "/";
    }
    return (mount_ / "hang").string();
  }

  void StartFileSystem() {
#ifndef HANG_FS_PATH
    GTEST_SKIP() << "built without libfuse3 (pkg-config fuse3): no hung file system";
#else
    const int device = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (device < 0) GTEST_SKIP() << "/dev/fuse cannot be opened: no hung file system";
    close(device);
    mount_ = dir_.path() / "mnt";
    std::filesystem::create_directory(mount_);
    server_ = SpawnProgram(HANG_FS_PATH, {mount_.string()});
    ASSERT_GT(server_, 0);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    constexpr long kFuseMagic = 0x65735546;
    struct statfs info = {};
    while (statfs(mount_.c_str(), &info) != 0 || info.f_type != kFuseMagic) {
      if (Clock::now() >= deadline || waitpid(server_, nullptr, WNOHANG) == server_) {
        server_ = -1;
        ReleaseFileSystem();
        GTEST_SKIP() << "the FUSE file system could not be mounted here";
      }
      std::this_thread::sleep_for(milliseconds(10));
    }
#endif
  }

  // Killing the server aborts the connection, so every call on it returns.
  void ReleaseFileSystem() {
    if (server_ > 0) {
      kill(server_, SIGKILL);
      waitpid(server_, nullptr, 0);
      server_ = -1;
    }
    if (!mount_.empty()) {
      if (umount2(mount_.c_str(), MNT_DETACH) != 0) {
        const pid_t helper = SpawnProgram("/bin/fusermount3", {"-u", "-z", mount_.string()});
        if (helper > 0) ExitStatusWithin(helper, 5000);
      }
      mount_.clear();
    }
  }

  TempDir dir_;
  std::filesystem::path mount_;
  pid_t server_ = -1;
};

TEST_P(HangTest, RequestTimesOutAndCloseReturnsWithinItsBound) {
  qoagent_client* client = OpenClient(Options());
  ASSERT_NE(client, nullptr);
  const pid_t agent = qoagent_pid(client);
  const std::string path = Hang(client);
  // Bounds are deadlines: signals that interrupt the waits do not stretch them.
  std::optional<BusyHost> busy(std::in_place);
  qoagent_reply reply = {};
  auto start = Clock::now();
  EXPECT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, path.c_str(), &reply),
            QOAGENT_ERR_TIMEOUT);
  auto took = Clock::now() - start;
  EXPECT_GE(took, milliseconds(kTimeoutMs));
  EXPECT_LT(took, milliseconds(kTimeoutMs) + kSlack);
  // The late reply has not come: nothing else may be sent meanwhile.
  EXPECT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply), QOAGENT_ERR_NOT_READY);

  start = Clock::now();
  const int closed = qoagent_close(client);
  took = Clock::now() - start;
  busy.reset();
  EXPECT_LT(took, milliseconds(kCloseTimeoutMs) + kSlack);
  // A stopped agent dies of SIGKILL; one in an uninterruptible call cannot.
  EXPECT_EQ(closed, GetParam() == Hang::kStoppedAgent ? QOAGENT_OK : QOAGENT_ERR_ABANDONED);
  ReleaseFileSystem();
  EXPECT_TRUE(ReapedByTheLibrary(agent));
}

TEST_P(HangTest, RestartServesTheNextRequestFromAFreshAgent) {
  qoagent_client* client = OpenClient(Options(QOAGENT_RESTART));
  ASSERT_NE(client, nullptr);
  const pid_t stuck = qoagent_pid(client);
  const int stuckSet = qoagent_sem_id(client);
  const std::string path = Hang(client);
  qoagent_reply reply = {};
  const auto start = Clock::now();
  EXPECT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, path.c_str(), &reply),
            QOAGENT_ERR_TIMEOUT);
  // The restart counts within the bound: it waits the close timeout at most
  // for the old agent and then for the new one to be ready.
  EXPECT_LT(Clock::now() - start, milliseconds(kTimeoutMs + kCloseTimeoutMs) + kSlack);
  EXPECT_EQ(qoagent_restarts(client), 1u);
  EXPECT_NE(qoagent_pid(client), stuck);
  EXPECT_FALSE(SemaphoreSetExists(stuckSet));

  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply), QOAGENT_OK);
    EXPECT_EQ(reply.result, 0);
    EXPECT_TRUE(S_ISDIR(reply.record.st.st_mode));
  }
  EXPECT_EQ(qoagent_restarts(client), 1u);
  const auto closing = Clock::now();
  EXPECT_EQ(qoagent_close(client), QOAGENT_OK);
  EXPECT_LT(Clock::now() - closing, milliseconds(kCloseTimeoutMs) + kSlack);
  ReleaseFileSystem();
  EXPECT_TRUE(ReapedByTheLibrary(stuck));
}

// `client | cat`: the host's output is a pipe, and whoever reads it waits for
// every writer to close it. The client ends while its agent is stuck.
TEST_P(HangTest, HostsOutputEndsWithTheClientWhileItsAgentIsStuck) {
  Subreaper reaper;
  Pipe output;
  Pipe report;
  const pid_t client = fork();
  ASSERT_GE(client, 0);
  if (client == 0) {
    dup2(output.ends[1], 1);
    dup2(output.ends[1], 2);
    const qoagent_options options = Options();
    qoagent_client* opened = nullptr;
    if (qoagent_open(&options, &opened) != QOAGENT_OK) _exit(1);
    const pid_t agent = qoagent_pid(opened);
    report.Write(&agent, sizeof agent);
    qoagent_reply reply = {};
    const int result = qoagent_request(opened, QOAGENT_REQUEST_LSTAT, Hang(opened).c_str(), &reply);
    std::printf("%s\n", qoagent_strerror(result));
    std::fflush(stdout);
    _exit(0);
  }
  output.CloseWriteEnd();
  pid_t agent = -1;
  ASSERT_TRUE(report.Read(&agent, sizeof agent));
  std::string text;
  EXPECT_TRUE(output.ReadToEnd(&text, 3000)) << "the host's output stayed open after the client";
  EXPECT_EQ(text, std::string(qoagent_strerror(QOAGENT_ERR_TIMEOUT)) + "\n");
  EXPECT_EQ(ExitStatusWithin(client, 1000), 0);
  // The orphaned agent was adopted here; freed, it ends.
  if (GetParam() == Hang::kStoppedAgent) kill(agent, SIGKILL);
  ReleaseFileSystem();
  EXPECT_NE(ExitStatusWithin(agent, 3000), -1);
  qoagent_close(OpenClient(Options()));  // sweeps the client's set
  EXPECT_TRUE(NoIpcLeftBy(client));
}

// More agents abandoned than any fixed table holds: once their calls return,
// every one is reaped by a later call of the library.
TEST_P(HangTest, EveryAbandonedAgentIsReapedHoweverMany) {
  if (GetParam() == Hang::kStoppedAgent) {
    GTEST_SKIP() << "a stopped agent dies of the close's SIGKILL; only a call in the kernel outlives it";
  }
  constexpr int kAgents = 70;
  // All stuck at once: every request is sent before any reply is awaited.
  std::vector<qoagent_client*> clients;
  for (int i = 0; i < kAgents; ++i) {
    const qoagent_options options = {STATAGENT_PATH, 0, 1000, 20, 0};
    clients.push_back(OpenClient(options));
    ASSERT_NE(clients.back(), nullptr);
    ASSERT_EQ(qoagent_send(clients.back(), QOAGENT_REQUEST_LSTAT, Hang(clients.back()).c_str()),
              QOAGENT_OK);
  }
  std::vector<pid_t> agents;
  int abandoned = 0;
  for (qoagent_client* client : clients) {
    agents.push_back(qoagent_pid(client));
    qoagent_reply reply = {};
    EXPECT_EQ(qoagent_receive(client, &reply), QOAGENT_ERR_TIMEOUT);
    if (qoagent_close(client) == QOAGENT_ERR_ABANDONED) ++abandoned;
  }
  EXPECT_GT(abandoned, 64);
  ReleaseFileSystem();
  for (const pid_t agent : agents) EXPECT_TRUE(ReapedByTheLibrary(agent)) << agent;
}

INSTANTIATE_TEST_SUITE_P(Hangs, HangTest,
                         ::testing::Values(Hang::kStoppedAgent, Hang::kFuseCall),
                         [](const auto& param) {
                           return param.param == Hang::kStoppedAgent ? "StoppedAgent" : "FuseCall";
                         });

// The client is a child killed with SIGKILL: it never closes.
TEST(AgentLifeTest, KilledClientLeavesNoSegmentAndItsSetGoesAtTheNextOpen) {
  Subreaper reaper;
  Pipe pipe;
  const pid_t client = fork();
  ASSERT_GE(client, 0);
  if (client == 0) {
    const qoagent_options options = Options(0, 5000);
    qoagent_client* opened = nullptr;
    int ids[3] = {-1, -1, -1};
    if (qoagent_open(&options, &opened) == QOAGENT_OK) {
      ids[0] = qoagent_pid(opened);
      ids[1] = qoagent_shm_id(opened);
      ids[2] = qoagent_sem_id(opened);
    }
    pipe.Write(ids, sizeof ids);
    for (;;) pause();
  }
  int ids[3] = {-1, -1, -1};
  const bool received = pipe.Read(ids, sizeof ids);
  kill(client, SIGKILL);
  waitpid(client, nullptr, 0);
  ASSERT_TRUE(received);
  ASSERT_GT(ids[0], 0);
  const auto killed = Clock::now();
  // Adopted here, the agent can be waited for: it ends about 2 s later.
  EXPECT_EQ(ExitStatusWithin(ids[0], 3500), 1);
  EXPECT_LT(Clock::now() - killed, milliseconds(3000));
  EXPECT_FALSE(SegmentExists(ids[1])) << "the segment outlived both its users";

  // The dead client's set may already be gone: any open of this user sweeps
  // it, and tests run side by side. Ours must not leave it.
  qoagent_client* next = OpenClient(Options());
  EXPECT_FALSE(SemaphoreSetExists(ids[2])) << "the next open left the dead client's set";
  EXPECT_EQ(qoagent_close(next), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(client, 0));
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

TEST(AgentLifeTest, ForkCopyNeverTouchesTheParentsAgent) {
  qoagent_client* client = OpenClient(Options(QOAGENT_RESTART, 5000));
  ASSERT_NE(client, nullptr);
  const pid_t agent = qoagent_pid(client);
  const int set = qoagent_sem_id(client);
  const int child = StatusOfChild([&] {
    qoagent_reply reply = {};
    if (qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply) != QOAGENT_ERR_NOT_OWNER) {
      return 1;
    }
    if (qoagent_send(client, QOAGENT_REQUEST_LSTAT, "/") != QOAGENT_ERR_NOT_OWNER) return 2;
    return qoagent_close(client) == QOAGENT_OK ? 0 : 3;
  });
  EXPECT_EQ(child, 0);
  EXPECT_EQ(kill(agent, 0), 0) << "the child's close ended the parent's agent";
  EXPECT_TRUE(SemaphoreSetExists(set));
  qoagent_reply reply = {};
  ASSERT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply), QOAGENT_OK);
  EXPECT_EQ(reply.result, 0);
  EXPECT_EQ(qoagent_restarts(client), 0u);
  EXPECT_EQ(qoagent_close(client), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

// Makes the next process created here take identifier `pid`; false where
// the kernel does not let this process choose.
bool NextProcessGets(pid_t pid) {
  std::ofstream lastPid("/proc/sys/kernel/ns_last_pid");
  lastPid << pid - 1;
  lastPid.close();
  return static_cast<bool>(lastPid);
}

// The host collects every child itself; the agent's identifier then goes to
// another process, which closing the client must leave alone.
TEST(AgentLifeTest, HostThatReapsEveryChildKeepsItsOtherProcessesSafe) {
  qoagent_client* client = OpenClient(Options());
  ASSERT_NE(client, nullptr);
  const pid_t agent = qoagent_pid(client);
  ASSERT_EQ(kill(agent, SIGKILL), 0);
  int status = 0;
  pid_t reaped;
  while ((reaped = waitpid(-1, &status, 0)) > 0 && reaped != agent) {
  }
  ASSERT_EQ(reaped, agent);

  pid_t decoy = -1;
  if (NextProcessGets(agent)) {
    decoy = fork();
    if (decoy == 0) {
      for (;;) pause();
    }
  }
  qoagent_reply reply = {};
  EXPECT_EQ(qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply),
            QOAGENT_ERR_AGENT_ENDED);
  EXPECT_EQ(qoagent_exit_status(client), -1) << "the host collected the status first";
  EXPECT_EQ(qoagent_close(client), QOAGENT_OK);
  if (decoy > 0) {
    EXPECT_EQ(waitpid(decoy, &status, WNOHANG), 0) << "the process that took the agent's "
                                                      "identifier was signalled";
    kill(decoy, SIGKILL);
    waitpid(decoy, nullptr, 0);
  }
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
  if (decoy != agent) {
    GTEST_SKIP() << "the identifier could not be handed on here (ns_last_pid); "
                    "only the reaped agent was checked";
  }
}

std::vector<std::string> OpenDescriptors(pid_t process) {
  std::vector<std::string> names;
  const std::string folder = "/proc/" + std::to_string(process) + "/fd";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AgentLifeTest, AgentStartsClean) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);  // inheritable, as a careless host leaves them
  qoagent_client* client = OpenClient(Options());
  ASSERT_NE(client, nullptr);
  const pid_t agent = qoagent_pid(client);
  close(ends[1]);
  char byte;
  EXPECT_EQ(read(ends[0], &byte, 1), 0) << "the agent holds the pipe open";
  close(ends[0]);
  EXPECT_EQ(OpenDescriptors(agent), (std::vector<std::string>{"0", "1", "2"}));
  for (const char* fd : {"0", "1", "2"}) {
    char target[64] = {};
    const std::string name = "/proc/" + std::to_string(agent) + "/fd/" + fd;
    EXPECT_GT(readlink(name.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/null") << "descriptor " << fd;
  }
  EXPECT_EQ(getpgid(agent), agent) << "the agent is not in a process group of its own";
  char cwd[64] = {};
  const std::string link = "/proc/" + std::to_string(agent) + "/cwd";
  EXPECT_EQ(readlink(link.c_str(), cwd, sizeof cwd - 1), 1);
  EXPECT_STREQ(cwd, "/");

  // A relative path means what it means to the caller at the time.
  TempDir dir;
  dir.Write("seven", "7 bytes");
  const int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  qoagent_reply reply = {};
  const int result = qoagent_request(client, QOAGENT_REQUEST_STAT, "seven", &reply);
  EXPECT_EQ(fchdir(here), 0);
  close(here);
  ASSERT_EQ(result, QOAGENT_OK);
  EXPECT_EQ(reply.result, 0);
  EXPECT_EQ(reply.record.st.st_size, 7);
  EXPECT_EQ(qoagent_close(client), QOAGENT_OK);
  EXPECT_TRUE(NoIpcLeftBy(getpid()));
}

// An agent that ends at once is the same situation however the host treats
// its children, and is told by one code: the host that ignores SIGCHLD has
// it reaped by the kernel before the client may look.
TEST(AgentLifeTest, AgentThatEndsAtOnceIsAlwaysAgentEnded) {
  for (const bool ignoreChildren : {false, true}) {
    SCOPED_TRACE(ignoreChildren ? "SIGCHLD ignored" : "SIGCHLD default");
    const int others = StatusOfChild([&] {
      if (ignoreChildren) signal(SIGCHLD, SIG_IGN);
      int otherCodes = 0;
      for (int i = 0; i < 20; ++i) {
        const qoagent_options options = {"/bin/false", 0, 2000, 0, 0};
        qoagent_client* client = nullptr;
        if (qoagent_open(&options, &client) != QOAGENT_ERR_AGENT_ENDED) ++otherCodes;
      }
      return otherCodes;
    });
    EXPECT_EQ(others, 0);
  }
}

// Each failure names its cause: the code, and errno where the code says so.
TEST(AgentLifeTest, FailuresOfTheSystemCarryTheirErrno) {
  TempDir dir;
  const auto gone = dir.path() / "gone";
  struct Row {
    const char* name;
    std::function<int()> fail;  // the code of the failing call, errno kept
    int code;
    int errNum;
  } rows[] = {
      {"relative path in a removed working directory",
       [&] {
         const qoagent_options options = Options(0, 5000);
         qoagent_client* client = nullptr;
         if (qoagent_open(&options, &client) != QOAGENT_OK) return 100;
         std::filesystem::create_directory(gone);
         if (chdir(gone.c_str()) != 0 || rmdir(gone.c_str()) != 0) return 101;
         qoagent_reply reply = {};
         const int result = qoagent_request(client, QOAGENT_REQUEST_STAT, "file", &reply);
         const int failure = errno;
         qoagent_close(client);
         errno = failure;
         return result;
       },
       QOAGENT_ERR_SYSTEM, ENOENT},
      {"relative agent program in a removed working directory",
       [&] {
         std::filesystem::create_directory(gone);
         if (chdir(gone.c_str()) != 0 || rmdir(gone.c_str()) != 0) return 101;
         const qoagent_options options = {"statagent", 0, 5000, 0, 0};
         qoagent_client* client = nullptr;
         return qoagent_open(&options, &client);
       },
       QOAGENT_ERR_SYSTEM, ENOENT},
      {"no descriptor left for the agent's handle",
       [&] {
         close_range(3, ~0u, 0);
         const struct rlimit three = {3, 3};
         if (setrlimit(RLIMIT_NOFILE, &three) != 0) return 102;
         const qoagent_options options = Options(0, 5000);
         qoagent_client* client = nullptr;
         return qoagent_open(&options, &client);
       },
       QOAGENT_ERR_START, EMFILE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Pipe report;
    // The report goes out on descriptor 2, which even the row that closes
    // every other descriptor keeps.
    const int status = StatusOfChild([&] {
      dup2(report.ends[1], 2);
      const int result[2] = {row.fail(), errno};
      return write(2, result, sizeof result) == sizeof result ? 0 : 1;
    });
    int result[2] = {0, 0};
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(report.Read(result, sizeof result));
    EXPECT_EQ(result[0], row.code) << qoagent_strerror(result[0]);
    EXPECT_EQ(result[1], row.errNum) << std::strerror(result[1]);
  }
}

// The host runs in a group of its own, handles SIGINT and sends it to its
// whole group, as a terminal's Ctrl-C does; the agent must live on.
TEST(AgentLifeTest, CtrlCToTheHostsGroupSparesTheAgent) {
  Pipe pipe;
  const int host = StatusOfChild([&] {
    setpgid(0, 0);
    struct sigaction handled = {};
    handled.sa_handler = [](int) {};
    sigaction(SIGINT, &handled, nullptr);
    const qoagent_options options = Options(0, 5000);
    qoagent_client* client = nullptr;
    if (qoagent_open(&options, &client) != QOAGENT_OK) return 1;
    const pid_t self = getpid();
    pipe.Write(&self, sizeof self);
    kill(0, SIGINT);
    std::this_thread::sleep_for(milliseconds(100));
    qoagent_reply reply = {};
    const int result = qoagent_request(client, QOAGENT_REQUEST_LSTAT, "/", &reply);
    const int closed = qoagent_close(client);
    if (result != QOAGENT_OK) return 2;
    return closed == QOAGENT_OK ? 0 : 3;
  });
  EXPECT_EQ(host, 0);
  pid_t hostPid = -1;
  ASSERT_TRUE(pipe.Read(&hostPid, sizeof hostPid, 0));
  EXPECT_TRUE(NoIpcLeftBy(hostPid));
}

}  // namespace
