// The segment layout read through the header, against bytes placed by hand at
// the offsets of the layout table.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "qoagent_segment.h"
#include "segment_from_c.h"

namespace {

constexpr std::size_t kPathOffset = 32 + QOAGENT_STATUS_RECORD_SIZE;

TEST(AgentSegmentLayoutTest, CAndCxxAgreeOnEveryOffset) {
  const std::size_t expected[kFieldCount] = {0, 4, 12, 16, 26, 32, kPathOffset};
  for (int field = 0; field < kFieldCount; ++field) {
    SCOPED_TRACE(field);
    EXPECT_EQ(SegmentOffsetFromC(static_cast<SegmentField>(field)), expected[field]);
  }
}

TEST(AgentSegmentLayoutTest, FieldsSitAtTheirByteOffsets) {
  if constexpr (std::endian::native != std::endian::little) {
    GTEST_SKIP() << "the hand-written image is little-endian";
  }
  alignas(8) unsigned char image[kPathOffset + 8] = {};
  const unsigned char semId[] = {0x44, 0x33, 0x22, 0x11};
  const unsigned char request[] = {0x03, 0x00, 0x00, 0x00};
  const unsigned char errNum[] = {0x02, 0x00, 0x00, 0x00};
  const unsigned char result[] = {0xff, 0xff, 0xff, 0xff};
  // sem_num 1, sem_op -1, sem_flg 0x0800
  const unsigned char waitOp[] = {0x01, 0x00, 0xff, 0xff, 0x00, 0x08};
  std::memcpy(image + 0, semId, sizeof semId);
  std::memcpy(image + 4, request, sizeof request);
  std::memcpy(image + 12, errNum, sizeof errNum);
  std::memcpy(image + 16, result, sizeof result);
  std::memcpy(image + 26, waitOp, sizeof waitOp);
  image[32] = 0xab;
  std::memcpy(image + kPathOffset, "/tmp", 5);

  auto& segment = *reinterpret_cast<AgentSegment*>(image);
  EXPECT_EQ(segment.semId, 0x11223344);
  EXPECT_EQ(segment.request, QOAGENT_REQUEST_LSTAT);
  EXPECT_EQ(segment.errNum, 2);
  EXPECT_EQ(segment.result, -1);
  EXPECT_EQ(segment.waitOp.sem_num, 1);
  EXPECT_EQ(segment.waitOp.sem_op, -1);
  EXPECT_EQ(segment.waitOp.sem_flg, 0x0800);
  EXPECT_EQ(segment.statBuf.bytes[0], 0xab);
  EXPECT_STREQ(qoagent_segment_path(&segment), "/tmp");
}

}  // namespace
