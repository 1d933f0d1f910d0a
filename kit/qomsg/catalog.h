// A message object file, checked completely and decoded into memory.
//
// The file is a sequence of 64-byte blocks, numbered from 1, little-endian:
//   block 1        control block: "1R3V", min, max, count, checksum (signed
//                  32-bit each), date/time/number format codes (1 byte each),
//                  reserved bytes, compile date (32 bytes from offset 32)
//   blocks 2..X+1  index, X = (max + 31) / 32: 32 unsigned 16-bit entries per
//                  block; entry j holds the first text block of message j+1
//                  or 0 when there is no such message
//   blocks X+2..   text blocks, message after message in number order. Each
//                  starts with a 16-bit header: bit 15 more blocks follow,
//                  bits 12-14 severity, bits 9-11 response bytes in this
//                  block, bits 0-8 compiled-text bytes in this block; then
//                  the response (first block only) and the text bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "qomsg.h"

namespace qomsg {

inline constexpr std::size_t kBlockSize = 64;
inline constexpr std::size_t kBlockPayload = 62;
inline constexpr std::size_t kIndexEntriesPerBlock = 32;
inline constexpr long kHighestMessageNumber = 49999;
inline constexpr std::string_view kMagic = "1R3V";
// Block numbers are 16 bits wide, so no valid file is longer than this.
inline constexpr std::size_t kMaxFileSize = 65535 * kBlockSize;

struct Message {
  long number = 0;
  int severity = 0;
  std::string response;
  std::string compiled;
  CompiledText text;  // views into `compiled`
};

// Not copyable: the decoded texts point into the catalogue's own strings.
class Catalog {
 public:
  Catalog() = default;
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  // Checks and decodes a whole file; on failure returns a QOMSG_ERR_* code
  // and describes the fault in `why`.
  int Load(std::string_view bytes, std::string& why);

  const qomsg_info& info() const { return info_; }
  // Messages in ascending number order.
  const std::vector<Message>& messages() const { return messages_; }
  const Message* Find(long number) const;

 private:
  int LoadControl(std::string_view bytes, std::string& why);
  int LoadMessage(std::string_view bytes, long number, std::size_t first_block,
                  std::size_t& next_block, std::string& why);

  qomsg_info info_{};
  std::vector<Message> messages_;
};

}  // namespace qomsg
