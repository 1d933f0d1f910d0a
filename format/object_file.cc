#include "object_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "compiled_form_walk.h"
#include "object_format.h"

namespace qokit::format {

namespace {

// The description is written only for the fault found, so a sound file costs
// no text at all.
[[gnu::format(printf, 3, 4)]] bool Fail(ObjectCheck& check, ObjectFault fault, const char* format, ...) {
  check.fault = fault;
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(check.detail, sizeof check.detail, format, ap);
  va_end(ap);
  return false;
}


bool CheckControl(std::span<const unsigned char> bytes, ObjectCheck& check) {
  if (bytes.size() > kMaxFileSize)
    return Fail(check, ObjectFault::kTruncated, "file of %zu bytes is longer than 65535 blocks", bytes.size());
  if (bytes.size() < kBlockSize || bytes.size() % kBlockSize != 0)
    return Fail(check, ObjectFault::kTruncated, "file size %zu is not a whole number of 64-byte blocks",
                bytes.size());
  if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
    return Fail(check, ObjectFault::kBadMagic, "control block does not start with 1R3V");
  const ControlValues c = ReadControl({reinterpret_cast<const char*>(bytes.data()), kBlockSize});
  if (c.max_msg_num < 0 || c.max_msg_num > kHighestMessageNumber)
    return Fail(check, ObjectFault::kControl, "highest message number %ld out of range", c.max_msg_num);
  if (c.msg_count < 0 || c.msg_count > c.max_msg_num)
    return Fail(check, ObjectFault::kControl, "message count %ld out of range", c.msg_count);
  if (c.date_fmt < 1 || c.date_fmt > kHighestDateFmt || c.time_fmt < 1 || c.time_fmt > kHighestTimeFmt ||
      c.number_fmt < 1 || c.number_fmt > kHighestNmbrFmt)
    return Fail(check, ObjectFault::kControl, "format code out of range");
  if (std::memchr(bytes.data() + kCompDateAt, '\0', kCompDateSize) == nullptr)
    return Fail(check, ObjectFault::kControl, "compile date not terminated");
  return true;
}

// Moves the data of a message's `blocks` blocks (D bytes of response and
// text, at `at`) into one piece behind the rewritten header. Each block's
// data moves to its place after the previous one's: the first block's two
// bytes up, the second stays, every later one down, so no move overwrites
// data still to be moved.
void LayOutChain(unsigned char* at, std::size_t blocks, uint32_t first_header, std::size_t response_len,
                 std::size_t compiled_len) {
  const std::size_t data = response_len + compiled_len;
  std::memmove(at + 4, at + 2, kTextBytesPerBlock);
  for (std::size_t j = 2; j < blocks; ++j) {
    const std::size_t length = j + 1 < blocks ? kTextBytesPerBlock : data - kTextBytesPerBlock * j;
    std::memmove(at + 4 + kTextBytesPerBlock * j, at + kBlockSize * j + 2, length);
  }
  PutLe16(at, (first_header & 0xFE00u) | static_cast<uint32_t>(compiled_len >> 16));
  PutLe16(at + 2, static_cast<uint32_t>(compiled_len & 0xFFFFu));
}

// The file walk: every index entry, each message's chain in turn, its text
// laid out and checked. A text's fault counts only when the file's structure
// and counts hold, so the first one is kept aside until then.
class Walk {
 public:
  Walk(std::span<unsigned char> bytes, ObjectCheck& check) : bytes_(bytes), check_(check) {}

  bool Run() {
    if (!CheckControl(bytes_, check_)) return false;
    const ControlValues control = ReadControl({reinterpret_cast<const char*>(bytes_.data()), kBlockSize});
    blocks_ = bytes_.size() / kBlockSize;
    const auto index_blocks = static_cast<std::size_t>(IndexBlocks(control.max_msg_num));
    if (1 + index_blocks > blocks_)
      return Fail(check_, ObjectFault::kIndex, "index of %zu blocks runs past the end of the file", index_blocks);
    next_block_ = index_blocks + 2;
    const unsigned char* index = bytes_.data() + kBlockSize;
    for (std::size_t entry = 0; entry < index_blocks * kIndexEntriesPerBlock; ++entry) {
      const uint32_t first = GetLe16(index + 2 * entry);
      if (first == 0) continue;
      const long number = static_cast<long>(entry) + 1;
      if (number > control.max_msg_num)
        return Fail(check_, ObjectFault::kIndex, "index entry for message %ld beyond the highest number", number);
      if (first < index_blocks + 2 || first > blocks_)
        return Fail(check_, ObjectFault::kIndex, "index entry for message %ld names block %u outside the text blocks",
                    number, first);
      if (!Message(number, first)) return false;
    }
    if (next_block_ != blocks_ + 1)
      return Fail(check_, ObjectFault::kChain, "blocks %zu to %zu belong to no message", next_block_, blocks_);
    if (messages_ != control.msg_count ||
        (messages_ > 0 && (lowest_ != control.min_msg_num || highest_ != control.max_msg_num)))
      return Fail(check_, ObjectFault::kControl, "control block counts disagree with the index");
    if (text_fault_ != nullptr)
      return Fail(check_, ObjectFault::kText, "message %ld: %s", text_fault_number_, text_fault_);
    return true;
  }

 private:
  bool Message(long number, std::size_t first) {
    if (first != next_block_)
      return Fail(check_, first > blocks_ ? ObjectFault::kIndex : ObjectFault::kChain,
                  "message %ld: starts in block %zu, expected %zu", number, first, next_block_);
    unsigned char* const at = bytes_.data() + BlockOffset(first);
    const uint32_t header = GetLe16(at);
    const auto response_len = static_cast<std::size_t>(header >> 9 & 7u);
    std::size_t compiled_len = header & 0x1FFu;
    std::size_t text_at = 2 + response_len;
    if (response_len + compiled_len > kTextBytesPerBlock)
      return Fail(check_, ObjectFault::kBlock, "message %ld: block %zu: header claims %zu bytes, a block holds 62",
                  number, first, response_len + compiled_len);
    if ((header & 0x8000u) != 0) {
      if (!Continuation(number, first, header, compiled_len)) return false;
      text_at += 2;
    } else {
      if (response_len > 0 && std::memchr(at + 2, '\0', response_len) != nullptr)
        return Fail(check_, ObjectFault::kText, "message %ld: block %zu: response holds a NUL byte", number, first);
      next_block_ = first + 1;
    }
    if (text_fault_ == nullptr) {
      text_fault_ = CheckFormInPlace({reinterpret_cast<const char*>(at + text_at), compiled_len});
      text_fault_number_ = number;
    }
    if (messages_++ == 0) lowest_ = number;
    highest_ = number;
    return true;
  }

  // The rest of a message that spans blocks, from its first block (whose
  // byte counts the caller checked): every block checked, then laid out in
  // one piece. `compiled_len` grows to the whole text's length.
  bool Continuation(long number, std::size_t first, uint32_t first_header, std::size_t& compiled_len) {
    unsigned char* const at = bytes_.data() + BlockOffset(first);
    const TextHeader head = DecodeTextHeader(first_header);
    const auto response_len = static_cast<std::size_t>(head.responseBytes);
    if (response_len + compiled_len != kTextBytesPerBlock)
      return Fail(check_, ObjectFault::kBlock, "message %ld: block %zu: a block followed by more blocks is not full",
                  number, first);
    if (std::memchr(at + 2, '\0', response_len) != nullptr)
      return Fail(check_, ObjectFault::kText, "message %ld: block %zu: response holds a NUL byte", number, first);
    std::size_t block = first;
    for (bool more = true; more;) {
      if (++block > blocks_)
        return Fail(check_, ObjectFault::kChain, "message %ld: block chain runs past the end of the file", number);
      const TextHeader h = DecodeTextHeader(GetLe16(bytes_.data() + BlockOffset(block)));
      const auto block_response = static_cast<std::size_t>(h.responseBytes);
      const auto text_len = static_cast<std::size_t>(h.textBytes);
      if (block_response + text_len > kTextBytesPerBlock)
        return Fail(check_, ObjectFault::kBlock, "message %ld: block %zu: header claims %zu bytes, a block holds 62",
                    number, block, block_response + text_len);
      if (block_response != 0 || h.severity != head.severity)
        return Fail(check_, ObjectFault::kBlock,
                    "message %ld: block %zu: continuation header disagrees with the first block", number, block);
      if (h.more && text_len != kTextBytesPerBlock)
        return Fail(check_, ObjectFault::kBlock, "message %ld: block %zu: a block followed by more blocks is not full",
                    number, block);
      compiled_len += text_len;
      more = h.more;
    }
    next_block_ = block + 1;
    LayOutChain(at, block - first + 1, first_header, response_len, compiled_len);
    return true;
  }

  std::span<unsigned char> bytes_;
  ObjectCheck& check_;
  std::size_t blocks_ = 0;
  std::size_t next_block_ = 0;
  long messages_ = 0;
  long lowest_ = 0;
  long highest_ = 0;
  const char* text_fault_ = nullptr;
  long text_fault_number_ = 0;
};

}  // namespace

bool LayOutObjectFile(std::span<unsigned char> bytes, ObjectCheck& check) {
  check = ObjectCheck{};
  return Walk(bytes, check).Run();
}

ControlValues ReadControl(std::string_view image) {
  const auto* at = reinterpret_cast<const unsigned char*>(image.data());
  ControlValues c;
  c.min_msg_num = GetLe32(at + kMinMsgNumAt);
  c.max_msg_num = GetLe32(at + kMaxMsgNumAt);
  c.msg_count = GetLe32(at + kMsgCountAt);
  c.checksum = GetLe32(at + kChecksumAt);
  c.date_fmt = at[kDateFmtAt];
  c.time_fmt = at[kTimeFmtAt];
  c.number_fmt = at[kNmbrFmtAt];
  const std::string_view date = image.substr(kCompDateAt, kCompDateSize);
  c.comp_date = date.substr(0, date.find('\0'));
  return c;
}

long NextMessageNumber(std::string_view image, long after) {
  const auto* at = reinterpret_cast<const unsigned char*>(image.data());
  const long highest = GetLe32(at + kMaxMsgNumAt);
  for (long number = after < 0 ? 1 : after + 1; number <= highest; ++number)
    if (GetLe16(at + kBlockSize + 2 * static_cast<std::size_t>(number - 1)) != 0) return number;
  return -1;
}

}  // namespace qokit::format
