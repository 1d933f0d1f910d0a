// A whole message object file (object_format.h has the layout) checked in
// one pass and then read in place: the qomsg reader and the dump tool share
// the walk, so both refuse the same files with the same words.
//
// The check lays every message's text out in one piece in the caller's
// buffer, so a text is a view into it and nothing is copied or allocated.
// A message of one block is left as it is; for a message of k > 1 blocks the
// first block's header is rewritten and the rest of its k blocks hold, from
// the first block's offset:
//    0  2  header: bit 15 set, severity and response bytes as stored,
//          bits 0-8 the compiled length's bits 16-24
//    2  2  the compiled length's bits 0-15, little-endian
//    4     the response, then the whole compiled text
// which fits, since k blocks hold at most 62k data bytes and 4 + 62k <= 64k.
// The index and the control block stay as they are, so a message is found by
// its number through the file's own index.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "object_format.h"

namespace qokit::format {

// What is wrong with a file, for the reader to turn into its status codes.
enum class ObjectFault { kNone, kTruncated, kBadMagic, kControl, kIndex, kChain, kBlock, kText };

struct ObjectCheck {
  ObjectFault fault = ObjectFault::kNone;
  char detail[160] = "";  // what is wrong, when fault is not kNone
};

// Checks `bytes` as an object file: the control block, the index, every
// message's block chain and every compiled text (CheckCompiledForm), in that
// order of precedence, and lays the texts out. False, with the first fault
// in `check`, when the file is not one genobj writes or a text cannot be
// formatted; `bytes` is then of no further use.
[[nodiscard]] bool LayOutObjectFile(std::span<unsigned char> bytes, ObjectCheck& check);

// The control block's values.
struct ControlValues {
  long min_msg_num = 0;
  long max_msg_num = 0;
  long msg_count = 0;
  long checksum = 0;
  int date_fmt = 0;
  int time_fmt = 0;
  int number_fmt = 0;
  std::string_view comp_date;  // ctime's text, without its terminator
};

// One message of a laid-out file; the views point into the file.
struct MessageView {
  long number = 0;
  int severity = 0;  // 0 to 7
  std::string_view response;
  std::string_view compiled;
};

// Readers of a file that LayOutObjectFile accepted (`image` is its bytes).
ControlValues ReadControl(std::string_view image);
// Message `number`; false when the file has none. Inline: every formatted
// message is looked up, through the file's own index.
inline bool FindMessage(std::string_view image, long number, MessageView& out) {
  const auto* at = reinterpret_cast<const unsigned char*>(image.data());
  if (number < 1 || number > GetLe32(at + kMaxMsgNumAt)) return false;
  const uint32_t first = GetLe16(at + kBlockSize + 2 * static_cast<std::size_t>(number - 1));
  if (first == 0) return false;
  const unsigned char* block = at + BlockOffset(first);
  const uint32_t header = GetLe16(block);
  const std::size_t response_len = header >> 9 & 7u;
  std::size_t compiled_len = header & 0x1FFu;
  const char* response = reinterpret_cast<const char*>(block) + 2;
  if ((header & 0x8000u) != 0) {  // laid out in one piece, with the whole length
    compiled_len = compiled_len << 16 | GetLe16(block + 2);
    response += 2;
  }
  out.number = number;
  out.severity = static_cast<int>(header >> 12 & 7u);
  out.response = {response, response_len};
  out.compiled = {response + response_len, compiled_len};
  return true;
}
// The lowest message number above `after`, or -1 when there is none.
long NextMessageNumber(std::string_view image, long after);

}  // namespace qokit::format
