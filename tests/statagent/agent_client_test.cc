// The real agent driven through the client library.
#include <qokit/qoagent.h>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "agent_process.h"
#include "ipc_check.h"
#include "segment_from_c.h"
#include "temp_dir.h"

namespace {

struct CloseClient {
  void operator()(qoagent_client* client) const { qoagent_close(client); }
};
using ClientPtr = std::unique_ptr<qoagent_client, CloseClient>;

qoagent_options Options(std::size_t segmentSize = 0, int timeoutMs = 5000,
                           const char* agentPath = STATAGENT_PATH) {
  return qoagent_options{agentPath, segmentSize, timeoutMs, 0, 0};
}

// Every test proves that it left no segment and no semaphore set behind.
class AgentClientTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int id : shmIds_) EXPECT_FALSE(SegmentExists(id)) << "segment " << id;
    for (int id : semIds_) EXPECT_FALSE(SemaphoreSetExists(id)) << "semaphore set " << id;
    EXPECT_TRUE(SegmentsCreatedBy(getpid()).empty());
  }

  ClientPtr Open(const qoagent_options& options) {
    qoagent_client* client = nullptr;
    const int result = qoagent_open(&options, &client);
    EXPECT_EQ(result, QOAGENT_OK);
    if (client != nullptr) {
      shmIds_.push_back(qoagent_shm_id(client));
      semIds_.push_back(qoagent_sem_id(client));
    }
    return ClientPtr(client);
  }

  std::vector<int> shmIds_;
  std::vector<int> semIds_;
  TempDir dir_;
};

TEST_F(AgentClientTest, RequestsMatchDirectStatusCalls) {
  const auto target = dir_.Write("target", "seven b");
  const auto link = dir_.path() / "link";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ClientPtr client = Open(Options());
  ASSERT_TRUE(client);

  struct Row {
    int32_t request;
    int (*direct)(const char*, struct stat*);
  } rows[] = {{QOAGENT_REQUEST_STAT, stat}, {QOAGENT_REQUEST_LSTAT, lstat}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.request);
    qoagent_reply reply = {};
    ASSERT_EQ(qoagent_request(client.get(), row.request, link.c_str(), &reply),
              QOAGENT_OK);
    struct stat direct = {};
    ASSERT_EQ(row.direct(link.c_str(), &direct), 0);
    EXPECT_EQ(reply.result, 0);
    EXPECT_EQ(reply.record.st.st_ino, direct.st_ino);
    EXPECT_EQ(reply.record.st.st_dev, direct.st_dev);
    EXPECT_EQ(reply.record.st.st_mode, direct.st_mode);
    EXPECT_EQ(reply.record.st.st_size, direct.st_size);
  }

  qoagent_reply reply = {};
  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STATFS, link.c_str(), &reply),
            QOAGENT_OK);
  struct statfs direct = {};
  ASSERT_EQ(statfs(link.c_str(), &direct), 0);
  EXPECT_EQ(reply.result, 0);
  EXPECT_EQ(reply.record.fs.f_type, direct.f_type);
  EXPECT_EQ(reply.record.fs.f_bsize, direct.f_bsize);
  EXPECT_EQ(reply.record.fs.f_blocks, direct.f_blocks);
  EXPECT_EQ(std::memcmp(&reply.record.fs.f_fsid, &direct.f_fsid, sizeof direct.f_fsid), 0);

  EXPECT_EQ(qoagent_close(client.release()), QOAGENT_OK);
}

TEST_F(AgentClientTest, FailedCallIsAReplyAndTheAgentGoesOn) {
  ClientPtr client = Open(Options());
  ASSERT_TRUE(client);
  qoagent_reply reply = {};
  const std::string missing = (dir_.path() / "missing").string();
  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, missing.c_str(), &reply),
            QOAGENT_OK);
  EXPECT_EQ(reply.result, -1);
  EXPECT_EQ(reply.err_num, ENOENT);

  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_LSTAT, dir_.path().c_str(), &reply),
            QOAGENT_OK);
  EXPECT_EQ(reply.result, 0);
  EXPECT_TRUE(S_ISDIR(reply.record.st.st_mode));
  EXPECT_EQ(qoagent_exit_status(client.get()), -1);
}

TEST_F(AgentClientTest, SemaphoresAfterStartAndAfterEveryReply) {
  ClientPtr client = Open(Options());
  ASSERT_TRUE(client);
  const int set = qoagent_sem_id(client.get());
  // The agent's readiness (semaphore 1) was taken by the client.
  EXPECT_EQ(SemaphoreValue(set, 1), 0);
  EXPECT_EQ(SemaphoreValue(set, 0), 0);
  EXPECT_EQ(SemaphoreValue(set, 2), 0);
  // A stray count on the request semaphore is cleared after the next reply.
  ASSERT_EQ(semctl(set, 0, SETVAL, 5), 0);
  qoagent_reply reply = {};
  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "/", &reply), QOAGENT_OK);
  EXPECT_EQ(SemaphoreValue(set, 1), 0);
  EXPECT_EQ(SemaphoreValue(set, 2), 0);
  // The agent resets it just after posting the reply, so allow it a moment.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (SemaphoreValue(set, 0) != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(SemaphoreValue(set, 0), 0);
}

// The path area fills the segment up to a page end, so an agent that read
// past it would fault rather than pass.
TEST_F(AgentClientTest, UnterminatedPathIsRefusedAndTheAgentGoesOn) {
  ClientPtr client = Open(Options(4096));
  ASSERT_TRUE(client);
  AgentSegment* segment = qoagent_segment(client.get());
  const std::size_t room = qoagent_segment_size(client.get()) - QOAGENT_PATH_OFFSET;
  std::memset(qoagent_segment_path(segment), '/', room);
  ASSERT_EQ(qoagent_post(client.get(), QOAGENT_REQUEST_STAT), QOAGENT_OK);
  EXPECT_EQ(segment->result, -1);
  EXPECT_EQ(segment->errNum, ENAMETOOLONG);

  qoagent_segment_path(segment)[room - 1] = '\0';
  ASSERT_EQ(qoagent_post(client.get(), QOAGENT_REQUEST_STAT), QOAGENT_OK);
  EXPECT_EQ(segment->result, 0);
  EXPECT_TRUE(S_ISDIR(segment->statBuf.st.st_mode));
}

TEST_F(AgentClientTest, SmallestSegmentHoldsOnlyTheEmptyPath) {
  ClientPtr client = Open(Options(QOAGENT_SEGMENT_MIN_SIZE));
  ASSERT_TRUE(client);
  qoagent_reply reply = {};
  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "", &reply), QOAGENT_OK);
  EXPECT_EQ(reply.result, -1);
  EXPECT_EQ(reply.err_num, ENOENT);
  EXPECT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "/", &reply),
            QOAGENT_ERR_PATH_TOO_LONG);
  // The refused request never reached the agent, which still serves.
  ASSERT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STATFS, "", &reply), QOAGENT_OK);
  EXPECT_EQ(reply.err_num, ENOENT);
}

// A stopped agent stands in for a status call that hangs.
TEST_F(AgentClientTest, LateReplyIsWaitedOutThenServingResumes) {
  ClientPtr client = Open(Options(0, 200));
  ASSERT_TRUE(client);
  const pid_t agent = qoagent_pid(client.get());
  ASSERT_EQ(kill(agent, SIGSTOP), 0);
  qoagent_reply reply = {};
  const std::string missing = (dir_.path() / "missing").string();
  EXPECT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, missing.c_str(), &reply),
            QOAGENT_ERR_TIMEOUT);
  EXPECT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "/", &reply),
            QOAGENT_ERR_NOT_READY);
  // The refused request left the outstanding one as it was.
  EXPECT_STREQ(qoagent_segment_path(qoagent_segment(client.get())), missing.c_str());
  ASSERT_EQ(kill(agent, SIGCONT), 0);

  int result = QOAGENT_ERR_NOT_READY;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (result == QOAGENT_ERR_NOT_READY && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    result = qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "/", &reply);
  }
  ASSERT_EQ(result, QOAGENT_OK);
  EXPECT_EQ(reply.result, 0);
  EXPECT_TRUE(S_ISDIR(reply.record.st.st_mode));
}

TEST_F(AgentClientTest, UnlistedCodeEndsTheAgentWith255WithoutReply) {
  for (int32_t code : {1, 4, -1}) {
    SCOPED_TRACE(code);
    ClientPtr client = Open(Options());
    ASSERT_TRUE(client);
    AgentSegment* segment = qoagent_segment(client.get());
    segment->result = 77;
    segment->errNum = 77;
    qoagent_reply reply = {};
    EXPECT_EQ(qoagent_request(client.get(), code, "/", &reply), QOAGENT_ERR_AGENT_ENDED);
    EXPECT_EQ(qoagent_exit_status(client.get()), 255);
    EXPECT_EQ(segment->result, 77);
    EXPECT_EQ(segment->errNum, 77);
    EXPECT_EQ(SemaphoreValue(qoagent_sem_id(client.get()), 1), 0);
    EXPECT_EQ(qoagent_request(client.get(), QOAGENT_REQUEST_STAT, "/", &reply),
              QOAGENT_ERR_AGENT_ENDED);
  }
}

TEST_F(AgentClientTest, FailedOpenLeavesNothingBehind) {
  struct Row {
    const char* name;
    qoagent_options options;
    int result;
  } rows[] = {
      {"no agent path", Options(0, 5000, nullptr), QOAGENT_ERR_ARGUMENT},
      {"segment too small", Options(QOAGENT_SEGMENT_MIN_SIZE - 1), QOAGENT_ERR_ARGUMENT},
      {"negative timeout", Options(0, -1), QOAGENT_ERR_ARGUMENT},
      {"no such program", Options(0, 5000, "/nonexistent/statagent"), QOAGENT_ERR_START},
      {"agent ends at once", Options(0, 5000, "/bin/false"), QOAGENT_ERR_AGENT_ENDED},
      // Runs on, never ready: the bounded wait gives up and the program is ended.
      {"agent never ready", Options(0, 300, "/bin/sleep"), QOAGENT_ERR_TIMEOUT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    qoagent_client* client = reinterpret_cast<qoagent_client*>(&dir_);
    const auto start = std::chrono::steady_clock::now();
    int result;
    {
      // The start's bound is a deadline, however often the host is interrupted.
      const BusyHost busy;
      result = qoagent_open(&row.options, &client);
    }
    EXPECT_EQ(result, row.result);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(client, nullptr);
  }
  int status = 0;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "a started program was not reaped";
}

TEST_F(AgentClientTest, WorksFromC) {
  int result = 0;
  int errNum = 0;
  unsigned long long inode = 0;
  ASSERT_EQ(StatFromC(STATAGENT_PATH, dir_.path().c_str(), &result, &errNum, &inode),
            QOAGENT_OK);
  struct stat direct = {};
  ASSERT_EQ(stat(dir_.path().c_str(), &direct), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(inode, direct.st_ino);
}

// Reads exactly `size` bytes from `fd`, waiting at most `timeoutMs` for each.
bool ReadAll(int fd, void* data, std::size_t size, int timeoutMs) {
  auto* bytes = static_cast<unsigned char*>(data);
  while (size > 0) {
    struct pollfd ready = {fd, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) != 1) return false;
    const ssize_t got = read(fd, bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// The client is an intermediate process that starts the agent and ends. This
// process is made a subreaper, so the orphaned agent is adopted here rather
// than by init: its parent changes to a process other than 1, and its exit
// status can be collected.
TEST_F(AgentClientTest, AgentEndsWith1SoonAfterItsParent) {
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const pid_t intermediate = fork();
  ASSERT_GE(intermediate, 0);
  if (intermediate == 0) {
    close(pipeEnds[0]);
    qoagent_options options = Options();
    qoagent_client* client = nullptr;
    int ids[3] = {-1, -1, -1};
    if (qoagent_open(&options, &client) == QOAGENT_OK) {
      ids[0] = qoagent_pid(client);
      ids[1] = qoagent_shm_id(client);
      ids[2] = qoagent_sem_id(client);
    }
    _exit(write(pipeEnds[1], ids, sizeof ids) == sizeof ids ? 0 : 1);
  }
  close(pipeEnds[1]);
  int ids[3] = {-1, -1, -1};
  const bool received = ReadAll(pipeEnds[0], ids, sizeof ids, 10000);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(intermediate, &status, 0);
  const auto orphaned = std::chrono::steady_clock::now();
  const pid_t agent = ids[0];
  if (ids[1] >= 0) shmIds_.push_back(ids[1]);
  if (ids[2] >= 0) semIds_.push_back(ids[2]);

  bool ended = false;
  while (received && agent > 0 &&
         std::chrono::steady_clock::now() - orphaned < std::chrono::seconds(6)) {
    if (waitpid(agent, &status, WNOHANG) == agent) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto waited = std::chrono::steady_clock::now() - orphaned;
  if (agent > 0 && !ended) {
    kill(agent, SIGKILL);
    waitpid(agent, &status, 0);
  }
  if (ids[2] >= 0) semctl(ids[2], 0, IPC_RMID);
  if (ids[1] >= 0) shmctl(ids[1], IPC_RMID, nullptr);
  prctl(PR_SET_CHILD_SUBREAPER, 0);

  ASSERT_TRUE(received);
  ASSERT_GT(agent, 0);
  ASSERT_TRUE(ended) << "the agent outlived its parent by 6 seconds";
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_LT(waited, std::chrono::milliseconds(3500));
}

}  // namespace
