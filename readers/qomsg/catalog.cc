#include "catalog.h"

#include <algorithm>
#include <cstring>

namespace qokit::reader {

namespace {



const unsigned char* At(std::string_view bytes, std::size_t at) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + at;
}

std::size_t BlockOffset(std::size_t block) { return (block - 1) * format::kBlockSize; }

}  // namespace

int Catalog::LoadControl(std::string_view bytes, std::string& why) {
  if (bytes.size() > kMaxFileSize) {
    why = "file of " + std::to_string(bytes.size()) + " bytes is longer than 65535 blocks";
    return QOMSG_ERR_TRUNCATED;
  }
  if (bytes.size() < format::kBlockSize || bytes.size() % format::kBlockSize != 0) {
    why = "file size " + std::to_string(bytes.size()) + " is not a whole number of 64-byte blocks";
    return QOMSG_ERR_TRUNCATED;
  }
  if (bytes.substr(0, 4) != format::kMagic) {
    why = "control block does not start with 1R3V";
    return QOMSG_ERR_MAGIC;
  }
  info_.min_msg_num = format::GetLe32(At(bytes, format::kMinMsgNumAt));
  info_.max_msg_num = format::GetLe32(At(bytes, format::kMaxMsgNumAt));
  info_.msg_count = format::GetLe32(At(bytes, format::kMsgCountAt));
  info_.checksum = format::GetLe32(At(bytes, format::kChecksumAt));
  info_.date_fmt = static_cast<unsigned char>(bytes[format::kDateFmtAt]);
  info_.time_fmt = static_cast<unsigned char>(bytes[format::kTimeFmtAt]);
  info_.number_fmt = static_cast<unsigned char>(bytes[format::kNmbrFmtAt]);
  if (info_.max_msg_num < 0 || info_.max_msg_num > format::kHighestMessageNumber) {
    why = "highest message number " + std::to_string(info_.max_msg_num) + " out of range";
    return QOMSG_ERR_CONTROL;
  }
  if (info_.msg_count < 0 || info_.msg_count > info_.max_msg_num) {
    why = "message count " + std::to_string(info_.msg_count) + " out of range";
    return QOMSG_ERR_CONTROL;
  }
  if (info_.date_fmt < 1 || info_.date_fmt > format::kHighestDateFmt || info_.time_fmt < 1 ||
      info_.time_fmt > format::kHighestTimeFmt || info_.number_fmt < 1 || info_.number_fmt > format::kHighestNmbrFmt) {
    why = "format code out of range";
    return QOMSG_ERR_CONTROL;
  }
  const std::string_view date = bytes.substr(format::kCompDateAt, format::kCompDateSize);
  const std::size_t nul = date.find('\0');
  if (nul == std::string_view::npos) {
    why = "compile date not terminated";
    return QOMSG_ERR_CONTROL;
  }
  std::memcpy(info_.comp_date, date.data(), nul);
  info_.comp_date[nul] = '\0';
  return QOMSG_OK;
}

int Catalog::LoadMessage(std::string_view bytes, long number, std::size_t first_block,
                         std::size_t& next_block, std::string& why) {
  const std::size_t blocks = bytes.size() / format::kBlockSize;
  const std::string where = "message " + std::to_string(number) + ": ";
  if (first_block != next_block) {
    why = where + "starts in block " + std::to_string(first_block) + ", expected " +
          std::to_string(next_block);
    return first_block > blocks ? QOMSG_ERR_INDEX : QOMSG_ERR_CHAIN;
  }
  Message message;
  message.number = number;
  std::size_t block = first_block;
  for (bool first = true;; first = false, ++block) {
    if (block > blocks) {
      why = where + "block chain runs past the end of the file";
      return QOMSG_ERR_CHAIN;
    }
    const std::string_view data = bytes.substr(BlockOffset(block), format::kBlockSize);
    const format::TextHeader header = format::DecodeTextHeader(format::GetLe16(At(data, 0)));
    const bool more = header.more;
    const int severity = header.severity;
    const auto response_len = static_cast<std::size_t>(header.responseBytes);
    const auto text_len = static_cast<std::size_t>(header.textBytes);
    const std::string in_block = where + "block " + std::to_string(block) + ": ";
    if (response_len + text_len > format::kTextBytesPerBlock) {
      why = in_block + "header claims " + std::to_string(response_len + text_len) +
            " bytes, a block holds 62";
      return QOMSG_ERR_BLOCK;
    }
    if (!first && (response_len != 0 || severity != message.severity)) {
      why = in_block + "continuation header disagrees with the first block";
      return QOMSG_ERR_BLOCK;
    }
    if (more && response_len + text_len != format::kTextBytesPerBlock) {
      why = in_block + "a block followed by more blocks is not full";
      return QOMSG_ERR_BLOCK;
    }
    if (first) {
      message.severity = severity;
      message.response.assign(data.substr(2, response_len));
      if (message.response.find('\0') != std::string::npos) {
        why = in_block + "response holds a NUL byte";
        return QOMSG_ERR_TEXT;
      }
    }
    message.compiled.append(data.substr(2 + response_len, text_len));
    if (!more) break;
  }
  next_block = block + 1;
  messages_.push_back(std::move(message));
  return QOMSG_OK;
}

int Catalog::Load(std::string_view bytes, std::string& why) {
  messages_.clear();
  if (const int rc = LoadControl(bytes, why); rc != QOMSG_OK) return rc;
  const std::size_t blocks = bytes.size() / format::kBlockSize;
  const auto max = static_cast<std::size_t>(info_.max_msg_num);
  const auto index_blocks = static_cast<std::size_t>(format::IndexBlocks(static_cast<long>(max)));
  if (1 + index_blocks > blocks) {
    why = "index of " + std::to_string(index_blocks) + " blocks runs past the end of the file";
    return QOMSG_ERR_INDEX;
  }
  std::size_t next_block = index_blocks + 2;
  for (std::size_t entry = 0; entry < index_blocks * format::kIndexEntriesPerBlock; ++entry) {
    const uint32_t first = format::GetLe16(At(bytes, format::kBlockSize + 2 * entry));
    if (first == 0) continue;
    const long number = static_cast<long>(entry) + 1;
    if (number > info_.max_msg_num) {
      why = "index entry for message " + std::to_string(number) + " beyond the highest number";
      return QOMSG_ERR_INDEX;
    }
    if (first < index_blocks + 2 || first > blocks) {
      why = "index entry for message " + std::to_string(number) + " names block " +
            std::to_string(first) + " outside the text blocks";
      return QOMSG_ERR_INDEX;
    }
    if (const int rc = LoadMessage(bytes, number, first, next_block, why); rc != QOMSG_OK)
      return rc;
  }
  if (next_block != blocks + 1) {
    why = "blocks " + std::to_string(next_block) + " to " + std::to_string(blocks) +
          " belong to no message";
    return QOMSG_ERR_CHAIN;
  }
  if (static_cast<long>(messages_.size()) != info_.msg_count ||
      (!messages_.empty() && (messages_.front().number != info_.min_msg_num ||
                              messages_.back().number != info_.max_msg_num))) {
    why = "control block counts disagree with the index";
    return QOMSG_ERR_CONTROL;
  }
  for (Message& message : messages_) {
    std::string text_why;
    if (!DecodeCompiledText(message.compiled, message.text, text_why)) {
      why = "message " + std::to_string(message.number) + ": " + text_why;
      return QOMSG_ERR_TEXT;
    }
  }
  return QOMSG_OK;
}

const Message* Catalog::Find(long number) const {
  const auto it = std::lower_bound(messages_.begin(), messages_.end(), number,
                                   [](const Message& m, long n) { return m.number < n; });
  return it != messages_.end() && it->number == number ? &*it : nullptr;
}

}  // namespace qokit::reader
