// Whole-file reading shared by the kit's readers and tools.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace qokit::io {

// The largest input a tool or reader loads whole: far beyond any real
// catalogue, help file or header, and small enough that a wrong path (a
// device, a disk image) cannot exhaust memory.
inline constexpr std::size_t kMaxInputSize = std::size_t{256} << 20;

// Opens `path` for reading with `mode` as fopen does, but refuses a
// directory (errno EISDIR): fopen would open one, and reading it would then
// look like an empty file or an input/output error.
std::FILE* OpenInputFile(const char* path, const char* mode);

// Reads the whole file at `path` into `bytes`; false (errno set) on failure,
// and with errno EFBIG when the file holds more than `max_size` bytes.
bool ReadWholeFile(const char* path, std::string& bytes, std::size_t max_size = kMaxInputSize);

// Bytes in memory that grows without being cleared first, so that reading a
// file whole costs one pass over its bytes (the kernel's), and writing a file
// whole one pass (the writer's).
struct ByteBuffer {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::size_t capacity = 0;

  // Room for `more` bytes after the last; false when memory ran out.
  [[nodiscard]] bool Reserve(std::size_t more) { return more <= capacity - size || Grow(more); }
  [[nodiscard]] bool Grow(std::size_t more);
  std::string_view view() const { return {data.get(), size}; }
};

// The size of the regular file behind a stream, or 0 when it has no known size.
std::size_t KnownSize(std::FILE* stream);

// Appends what is left of an open stream to `bytes`, in one read for a
// regular file. False when a read failed (errno EIO; what was read until then
// stays appended) or memory ran out (errno ENOMEM).
bool AppendStream(std::FILE* stream, ByteBuffer& bytes);

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
