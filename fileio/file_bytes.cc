#include "file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "unique_file.h"

namespace qokit::io {

namespace {

// Closes a descriptor without changing errno, which may hold the failure.
struct Descriptor {
  int fd;
  ~Descriptor() {
    const int saved = errno;
    if (fd >= 0) ::close(fd);
    errno = saved;
  }
};

// Makes room for `capacity` bytes, keeping the first `size`.
bool Grow(OwnedBytes& bytes, std::size_t& capacity, std::size_t wanted) noexcept {
  std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[wanted]);
  if (larger == nullptr) {
    errno = ENOMEM;
    return false;
  }
  if (bytes.size > 0) std::memcpy(larger.get(), bytes.data.get(), bytes.size);
  bytes.data = std::move(larger);
  capacity = wanted;
  return true;
}

}  // namespace

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
  errno = 0;
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
    if (errno == 0) errno = EIO;
    return false;
  }
  return true;
}

bool ReadWholeFile(const char* path, OwnedBytes& bytes, std::size_t max_size) noexcept {
  bytes = OwnedBytes{};
  const Descriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return false;
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) return false;
  if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > max_size) {
    errno = EFBIG;
    return false;
  }
  // A regular file is read in one go (the extra byte sees it end); anything
  // else, or a file that grows meanwhile, in growing steps.
  const bool regular = S_ISREG(st.st_mode);
  std::size_t capacity = 0;
  if (!Grow(bytes, capacity, regular ? static_cast<std::size_t>(st.st_size) + 1 : std::size_t{65536})) return false;
  for (;;) {
    if (bytes.size == capacity) {
      if (bytes.size > max_size) {
        errno = EFBIG;
        return false;
      }
      if (!Grow(bytes, capacity, std::min(capacity * 2, max_size + 1))) return false;
    }
    const ssize_t n = ::read(file.fd, bytes.data.get() + bytes.size, capacity - bytes.size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    bytes.size += static_cast<std::size_t>(n);
  }
  if (bytes.size > max_size) {
    errno = EFBIG;
    return false;
  }
  return true;
}

}  // namespace qokit::io
