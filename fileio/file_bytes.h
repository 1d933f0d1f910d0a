// Whole-file reading shared by the kit's readers and tools.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace qokit::io {

// Reads the whole file at `path` into `bytes`; false (errno set) on failure,
// and with errno EFBIG when the file holds more than `max_size` bytes, so a
// wrong path (a device, a huge file) cannot exhaust memory.
bool ReadWholeFile(const char* path, std::string& bytes, std::size_t max_size);

// A file's bytes in one allocation of their size.
struct OwnedBytes {
  std::unique_ptr<unsigned char[]> data;
  std::size_t size = 0;
};

// As ReadWholeFile for the client libraries: one allocation (new (nothrow),
// so an allocation failure is errno ENOMEM, never an exception) and, for a
// regular file, one read of its size.
bool ReadWholeFile(const char* path, OwnedBytes& bytes, std::size_t max_size) noexcept;

}  // namespace qokit::io
