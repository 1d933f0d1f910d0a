#include "file_bytes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "unique_file.h"

namespace qokit::io {

std::FILE* OpenInputFile(const char* path, const char* mode) {
  std::FILE* file = std::fopen(path, mode);
  struct stat st {};
  if (file != nullptr && fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

bool ReadWholeFile(const char* path, std::string& bytes, std::size_t max_size) {
  UniqueFile file(OpenInputFile(path, "rb"));
  if (file == nullptr) return false;
  bytes.clear();
  char chunk[65536];
  std::size_t n = 0;
  errno = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (n > max_size - bytes.size()) {
      errno = EFBIG;
      return false;
    }
    bytes.append(chunk, n);
  }
  if (std::ferror(file.get())) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return true;
}

bool ByteBuffer::Grow(std::size_t more) {
  const std::size_t wanted = size + more < 2 * capacity ? 2 * capacity : size + more;
  std::unique_ptr<char[]> bigger(new (std::nothrow) char[wanted]);
  if (bigger == nullptr) return false;
  if (size > 0) std::memcpy(bigger.get(), data.get(), size);
  data = std::move(bigger);
  capacity = wanted;
  return true;
}

std::size_t KnownSize(std::FILE* stream) {
  struct stat st {};
  const int fd = fileno(stream);
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return 0;
  return static_cast<std::size_t>(st.st_size);
}

bool AppendStream(std::FILE* stream, ByteBuffer& bytes) {
  // A regular file's size is known: one read, and one byte more shows its end.
  const std::size_t size = KnownSize(stream);
  std::size_t chunk = size > 0 ? size + 1 : 65536;
  for (;;) {
    if (!bytes.Reserve(chunk)) {
      errno = ENOMEM;
      return false;
    }
    const std::size_t n = std::fread(bytes.data.get() + bytes.size, 1, chunk, stream);
    bytes.size += n;
    if (n < chunk) break;
    chunk = 65536;
  }
  if (std::ferror(stream)) {
    errno = EIO;
    return false;
  }
  return true;
}

}  // namespace qokit::io
