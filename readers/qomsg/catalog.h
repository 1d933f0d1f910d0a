// A message object file checked at open and held in one buffer, from which
// every message is read in place (object_file.h has the in-memory layout).
#pragma once

#include <cstddef>
#include <string_view>

#include "file_bytes.h"
#include "object_file.h"
#include "object_format.h"
#include "plural_index.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

// Block numbers are 16 bits wide, so no valid file is longer than this.
inline constexpr std::size_t kMaxFileSize = qokit::format::kMaxFileSize;

class Catalog {
 public:
  // Checks a file's bytes and takes them over: QOMSG_OK, or a QOMSG_ERR_*
  // code with the fault written to detail (cut to its size).
  int Load(io::OwnedBytes bytes, char* detail, std::size_t detail_size) noexcept;

  // The checked bytes, for format::FindMessage and NextMessageNumber.
  std::string_view image() const { return {reinterpret_cast<const char*>(bytes_.data.get()), bytes_.size}; }
  qomsg_info Info() const;
  bool Find(long number, format::MessageView& out) const { return format::FindMessage(image(), number, out); }
  const PluralIndex& plurals() const { return plurals_; }

 private:
  io::OwnedBytes bytes_;
  PluralIndex plurals_;
};

}  // namespace qokit::reader
