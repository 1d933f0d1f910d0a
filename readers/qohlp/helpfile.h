// A help file checked at open and held in one buffer, whose tables are read
// in place (help_file.h has the checks, help_format.h the layout).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "file_bytes.h"
#include "help_file_check.h"

namespace qokit::reader {

// Largest help file the reader loads into memory.
inline constexpr std::size_t kMaxHelpFileSize = io::kMaxInputSize;

class HelpFile {
 public:
  // Checks a file's bytes and takes them over: QOHLP_OK, or the QOHLP_ERR_*
  // code of the first fatal finding with its text written to detail.
  int Load(io::OwnedBytes bytes, format::HelpLayout layout, char* detail, std::size_t detail_size) noexcept;

  std::string_view bytes() const { return {reinterpret_cast<const char*>(bytes_.data.get()), bytes_.size}; }
  format::HelpLayout layout() const { return layout_; }
  // Link entry 0: the number of TOC entries, and the line length (legacy:
  // the button count).
  std::size_t sections() const { return head_.tocndx; }
  uint16_t line_size_or_buttons() const { return head_.butndx; }
  uint32_t text_offset() const { return format::table_bytes(head_.tocndx); }

 private:
  io::OwnedBytes bytes_;
  format::HelpLayout layout_ = format::HelpLayout::kCurrent;
  format::linkentry head_{};
};

}  // namespace qokit::reader
