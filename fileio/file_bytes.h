// Whole-file reading shared by the kit's readers and tools.
#pragma once

#include <cstddef>
#include <string>

namespace qokit::io {

// Reads the whole file at `path` into `bytes`; false (errno set) on failure,
// and with errno EFBIG when the file holds more than `max_size` bytes, so a
// wrong path (a device, a huge file) cannot exhaust memory.
bool ReadWholeFile(const char* path, std::string& bytes, std::size_t max_size);

}  // namespace qokit::io
