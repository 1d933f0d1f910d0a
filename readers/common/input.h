// Where a reader's bytes come from: a file, or the caller's memory, each
// into one buffer that the reader then owns. Neither throws.
#pragma once

#include <cstddef>

#include "file_bytes.h"

namespace qokit::reader {

enum class Input { kRead, kUnreadable, kNoMemory };

// Reads the file at `path` (null is unreadable) into `bytes`; a failure is
// described in detail ("cannot read PATH: why").
Input ReadInput(const char* path, std::size_t max_size, io::OwnedBytes& bytes, char* detail,
                std::size_t detail_size) noexcept;

// Copies `size` bytes at `data` into `bytes`.
Input CopyInput(const void* data, std::size_t size, io::OwnedBytes& bytes, char* detail,
                std::size_t detail_size) noexcept;

}  // namespace qokit::reader
