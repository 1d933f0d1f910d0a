// The readers' description of a fault, handed to the caller's buffer.
#pragma once

#include <cstddef>
#include <string_view>

namespace qokit::reader {

// Copies `text` into detail, cut to size - 1 bytes and always terminated;
// nothing when detail is null or size is 0.
void SetDetail(char* detail, std::size_t size, std::string_view text);

}  // namespace qokit::reader
