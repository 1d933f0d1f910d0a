// The agent program started by hand on segments it must refuse: it ends at
// once with 255, prints nothing and leaves the segment and the set alone.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "qoagent_segment.h"
#include "ipc_check.h"
#include "run_program.h"

namespace {

enum class Segment { kNone, kRemoved, kTooSmall, kSetRemoved };

struct Row {
  const char* name;
  Segment segment;
  // "ID" stands for the segment's identifier, "WRAPPED" for it plus 2^32.
  std::vector<std::string> args;
};

TEST(AgentStartupTest, RefusedStartsEndWith255AndTouchNothing) {
  const Row rows[] = {
      {"no argument", Segment::kNone, {}},
      {"identifier -1", Segment::kNone, {"-1"}},
      {"removed segment", Segment::kRemoved, {"ID"}},
      {"segment without room for a path", Segment::kTooSmall, {"ID"}},
      {"semaphore set removed", Segment::kSetRemoved, {"ID"}},
      {"identifier beyond int", Segment::kNone, {"WRAPPED"}},
      // Each would read as 0 and name segment 0, which is someone else's.
      {"empty identifier", Segment::kNone, {""}},
      {"identifier without digits", Segment::kNone, {"abc"}},
      {"only a sign", Segment::kNone, {"-"}},
      {"hexadecimal identifier", Segment::kNone, {"0x1f"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t size =
        row.segment == Segment::kTooSmall ? QOAGENT_SEGMENT_MIN_SIZE - 1 : QOAGENT_SEGMENT_MIN_SIZE;
    ScopedSegment segment(size);
    ScopedSemaphoreSet set(2);
    ASSERT_NE(segment.bytes(), nullptr);
    ASSERT_GE(set.id(), 0);
    auto& view = *reinterpret_cast<AgentSegment*>(segment.bytes());
    view.semId = set.id();
    view.waitOp = {1, 0, 0};
    int id = segment.id();
    if (row.segment == Segment::kRemoved) {
      ScopedSegment gone(QOAGENT_SEGMENT_MIN_SIZE);
      id = gone.id();
    }
    if (row.segment == Segment::kSetRemoved) {
      ScopedSemaphoreSet gone(2);
      view.semId = gone.id();
    }
    std::vector<std::string> args = row.args;
    std::replace(args.begin(), args.end(), std::string("ID"), std::to_string(id));
    std::replace(args.begin(), args.end(), std::string("WRAPPED"),
                 std::to_string(id + 4294967296LL));
    std::vector<unsigned char> before(segment.bytes(), segment.bytes() + size);

    RunOptions options;
    options.timeout_seconds = 10;
    const RunResult run = RunProgram(STATAGENT_PATH, args, options);
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(std::equal(before.begin(), before.end(), segment.bytes()));
    EXPECT_EQ(SemaphoreValue(set.id(), 1), 0);
  }
}

}  // namespace
