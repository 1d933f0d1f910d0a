#include "file_bytes.h"

#include <cerrno>
#include <cstdio>

#include "unique_file.h"

namespace qokit::io {

bool ReadWholeFile(const char* path, std::string& bytes, std::size_t max_size) {
  UniqueFile file(std::fopen(path, "rb"));
  if (file == nullptr) return false;
  bytes.clear();
  char chunk[65536];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (n > max_size - bytes.size()) {
      errno = EFBIG;
      return false;
    }
    bytes.append(chunk, n);
  }
  if (std::ferror(file.get())) {
    errno = EIO;
    return false;
  }
  return true;
}

}  // namespace qokit::io
