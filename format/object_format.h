// The message object file's layout, one definition for its writer (genobj)
// and its reader (the qomsg library and the kit's tools).
//
// A sequence of 64-byte blocks numbered from 1 (block b at offset 64*(b-1));
// every integer little-endian. With H the highest message number and
// X = (H + 31) / 32 index blocks:
//   block 1        control block (nlsControlRec):
//                    0  4  magic "1R3V"
//                    4  4  minMsgNum      signed
//                    8  4  maxMsgNum      signed (H)
//                   12  4  msgCount       signed
//                   16  4  symbolCheckSum signed, equal to the symbol file's
//                   20  1  dateFmt 1-5    21 1 timeFmt 1-4    22 1 nmbrFmt 1-6
//                   23  1  plural layout: 0 none, 1 (plural_layout.h)
//                   24  4  D, the plural table's message number  signed
//                   28  4  H, the symbol file's highest number    signed
//                   32 32  compDate: ctime text (24 characters), NUL-filled
//   blocks 2..X+1  index: 32 unsigned 16-bit entries per block; entry j holds
//                  the first text block of message j+1, or 0 for no message.
//   blocks X+2..   text blocks, message after message in number order:
//                    0  2  header: bit 15 more blocks follow; bits 12-14
//                          severity mod 8; bits 9-11 response bytes in this
//                          block; bits 0-8 compiled-text bytes in this block
//                    2 62  first block: the response (no terminator), then
//                          compiled text; later blocks: compiled text; 0-filled
// Block numbers are 16 bits wide, so a catalogue may need at most 65535 blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "byte_order.h"

namespace qokit::format {

inline constexpr std::size_t kBlockSize = 64;
inline constexpr std::size_t kTextBytesPerBlock = kBlockSize - 2;
inline constexpr std::size_t kIndexEntriesPerBlock = kBlockSize / 2;
inline constexpr long kMaxBlocks = 65535;
inline constexpr std::size_t kMaxFileSize = kMaxBlocks * kBlockSize;
inline constexpr long kHighestMessageNumber = 49999;
inline constexpr std::string_view kMagic = "1R3V";

// Control block fields.
inline constexpr std::size_t kMinMsgNumAt = 4, kMaxMsgNumAt = 8, kMsgCountAt = 12, kChecksumAt = 16;
inline constexpr std::size_t kDateFmtAt = 20, kTimeFmtAt = 21, kNmbrFmtAt = 22;
inline constexpr std::size_t kPluralLayoutAt = 23, kPluralTableAt = 24, kPluralHighestAt = 28;
inline constexpr std::size_t kCompDateAt = 32, kCompDateSize = 32, kCompDateTextLength = 24;
static_assert(kCompDateAt + kCompDateSize == kBlockSize, "the compile date ends the control block");
inline constexpr int kHighestDateFmt = 5, kHighestTimeFmt = 4, kHighestNmbrFmt = 6;

// A text block's 16-bit header.
struct TextHeader {
  bool more = false;       // more blocks of this message follow
  int severity = 0;        // stored modulo 8
  int responseBytes = 0;   // 0 to 7
  int textBytes = 0;       // 0 to 62
};

constexpr uint32_t EncodeTextHeader(const TextHeader& h) {
  return (h.more ? 0x8000u : 0u) | static_cast<uint32_t>(h.severity % 8) << 12 |
         static_cast<uint32_t>(h.responseBytes) << 9 | static_cast<uint32_t>(h.textBytes);
}

constexpr TextHeader DecodeTextHeader(uint32_t header) {
  return {(header & 0x8000u) != 0, static_cast<int>(header >> 12 & 7u), static_cast<int>(header >> 9 & 7u),
          static_cast<int>(header & 0x1FFu)};
}

// A message of severity 5 with a 1-byte response continuing after 61 bytes.
static_assert(EncodeTextHeader({true, 5, 1, 61}) == 0xD23D, "header bits as the layout gives them");
static_assert(DecodeTextHeader(0xD23D).textBytes == 61 && DecodeTextHeader(0xD23D).severity == 5,
              "decoding inverts encoding");

// Blocks that `length` bytes (response plus compiled text) need.
constexpr long BlockCount(long length) {
  return length <= 0 ? 0 : (length + static_cast<long>(kTextBytesPerBlock) - 1) / static_cast<long>(kTextBytesPerBlock);
}

// Where block `block` (numbered from 1) starts.
constexpr std::size_t BlockOffset(std::size_t block) { return (block - 1) * kBlockSize; }

// Index blocks for the highest message number.
constexpr long IndexBlocks(long highest) {
  return (highest + static_cast<long>(kIndexEntriesPerBlock) - 1) / static_cast<long>(kIndexEntriesPerBlock);
}
static_assert(IndexBlocks(32) == 1 && IndexBlocks(33) == 2, "32 index entries per block");

}  // namespace qokit::format
