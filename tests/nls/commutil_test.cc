#include "qokit/unx/commutil.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

struct TwoCase {
  uint16_t value;
  std::array<unsigned char, 2> bytes;
};

constexpr TwoCase kTwoCases[] = {
    {0x1234, {0x12, 0x34}}, {65534, {0xFF, 0xFE}}, {0, {0x00, 0x00}}, {1, {0x00, 0x01}}, {0x8000, {0x80, 0x00}},
};

struct FourCase {
  uint32_t value;
  std::array<unsigned char, 4> bytes;
};

constexpr FourCase kFourCases[] = {
    {0x12345678u, {0x12, 0x34, 0x56, 0x78}},
    {2147483649u, {0x80, 0x00, 0x00, 0x01}},
    {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}},
    {288, {0x00, 0x00, 0x01, 0x20}},
};

TEST(CommUtil, TwoBytesAreMostSignificantFirstBothWays) {
  for (const auto& c : kTwoCases) {
    nfTwo two{};
    SetTwo(&two, c.value);
    EXPECT_EQ(two.bytes[0], c.bytes[0]) << c.value;
    EXPECT_EQ(two.bytes[1], c.bytes[1]) << c.value;
    nfTwo given{{c.bytes[0], c.bytes[1]}};
    EXPECT_EQ(GetTwo(&given), c.value);
  }
}

TEST(CommUtil, FourBytesAreMostSignificantFirstBothWays) {
  for (const auto& c : kFourCases) {
    nfFour four{};
    SetFour(&four, c.value);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(four.bytes[i], c.bytes[i]) << c.value << " byte " << i;
    nfFour given{{c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]}};
    EXPECT_EQ(GetFour(&given), c.value);
  }
}

}  // namespace
