#include "file_bytes.h"

#include <sys/stat.h>

#include <cerrno>

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

}  // namespace qokit::io
