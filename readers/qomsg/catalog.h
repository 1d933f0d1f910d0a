// A message object file, checked completely and decoded into memory
// (object_format.h has the layout).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "object_format.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

// Block numbers are 16 bits wide, so no valid file is longer than this.
inline constexpr std::size_t kMaxFileSize = qokit::format::kMaxFileSize;

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

}  // namespace qokit::reader
