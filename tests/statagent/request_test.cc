// One request served in process, on a segment image in ordinary memory.
#include "request.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "temp_dir.h"

namespace {

using qokit::agent::RequestOutcome;
using qokit::agent::ServeRequest;

constexpr std::size_t kSegmentSize = 512;
constexpr std::size_t kPathRoom = kSegmentSize - QOAGENT_PATH_OFFSET;
constexpr int32_t kUntouched = 0x5a5a5a5a;

struct SegmentImage {
  alignas(8) unsigned char bytes[kSegmentSize] = {};
  AgentSegment& segment() { return *reinterpret_cast<AgentSegment*>(bytes); }

  void Ask(int32_t request, const std::string& path) {
    segment().request = request;
    ASSERT_LT(path.size(), kPathRoom);
    std::memcpy(qoagent_segment_path(&segment()), path.c_str(), path.size() + 1);
    segment().result = kUntouched;
    segment().errNum = kUntouched;
  }
};

class AgentRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = dir_.Write("target", "twelve bytes");
    dangling_ = dir_.path() / "dangling";
    ASSERT_EQ(symlink((dir_.path() / "nowhere").c_str(), dangling_.c_str()), 0);
  }

  TempDir dir_;
  std::filesystem::path target_;
  std::filesystem::path dangling_;
};

TEST_F(AgentRequestTest, ResultAndErrorNumberOfTheCall) {
  const std::string missing = (dir_.path() / "missing").string();
  const std::string throughFile = target_.string() + "/below";
  struct Row {
    int32_t request;
    std::string path;
    int32_t result;
    int errNum;  // checked when result is -1
  } rows[] = {
      {QOAGENT_REQUEST_STAT, missing, -1, ENOENT},
      {QOAGENT_REQUEST_LSTAT, missing, -1, ENOENT},
      {QOAGENT_REQUEST_STATFS, missing, -1, ENOENT},
      {QOAGENT_REQUEST_STAT, throughFile, -1, ENOTDIR},
      {QOAGENT_REQUEST_STAT, "", -1, ENOENT},
      {QOAGENT_REQUEST_STAT, dangling_, -1, ENOENT},
      {QOAGENT_REQUEST_LSTAT, dangling_, 0, 0},
      {QOAGENT_REQUEST_STATFS, target_, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path + " request " + std::to_string(row.request));
    SegmentImage image;
    image.Ask(row.request, row.path);
    ASSERT_EQ(ServeRequest(image.segment(), kSegmentSize), RequestOutcome::kAnswered);
    EXPECT_EQ(image.segment().result, row.result);
    if (row.result == -1) {
      EXPECT_EQ(image.segment().errNum, row.errNum);
    }
  }
}

TEST_F(AgentRequestTest, PathMustEndInsideTheSegment) {
  struct Row {
    const char* name;
    std::size_t segmentSize;  // the mapping the agent believes in
    bool terminatedAtLastByte;
    int32_t result;
    int errNum;
  } rows[] = {
      {"terminator in the last byte", kSegmentSize, true, 0, 0},
      {"no terminator at all", kSegmentSize, false, -1, ENAMETOOLONG},
      // The terminator lies beyond the size the agent was told: not looked at.
      {"terminator past a smaller mapping", kSegmentSize - 1, true, -1, ENAMETOOLONG},
      {"no room for a path", QOAGENT_PATH_OFFSET, true, -1, ENAMETOOLONG},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SegmentImage image;
    image.segment().request = QOAGENT_REQUEST_STAT;
    // Slashes name the root however many there are.
    std::memset(qoagent_segment_path(&image.segment()), '/', kPathRoom);
    if (row.terminatedAtLastByte) qoagent_segment_path(&image.segment())[kPathRoom - 1] = '\0';
    ASSERT_EQ(ServeRequest(image.segment(), row.segmentSize), RequestOutcome::kAnswered);
    EXPECT_EQ(image.segment().result, row.result);
    if (row.result == 0) {
      EXPECT_TRUE(S_ISDIR(image.segment().statBuf.st.st_mode));
    } else {
      EXPECT_EQ(image.segment().errNum, row.errNum);
    }
  }
}

TEST_F(AgentRequestTest, UnlistedCodesWriteNothing) {
  for (int32_t code : {1, 4, -1, 0x7fffffff}) {
    SCOPED_TRACE(code);
    SegmentImage image;
    image.Ask(code, target_);
    std::memset(&image.segment().statBuf, 0x77, sizeof image.segment().statBuf);
    EXPECT_EQ(ServeRequest(image.segment(), kSegmentSize), RequestOutcome::kUnlisted);
    EXPECT_EQ(image.segment().result, kUntouched);
    EXPECT_EQ(image.segment().errNum, kUntouched);
    EXPECT_EQ(image.segment().statBuf.bytes[0], 0x77);
    EXPECT_EQ(image.segment().statBuf.bytes[QOAGENT_STATUS_RECORD_SIZE - 1], 0x77);
  }
}

}  // namespace
