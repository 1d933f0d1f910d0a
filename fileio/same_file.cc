#include "same_file.h"

#include <sys/stat.h>

#include <cstring>

namespace qokit::io {

bool IsSameFile(const char* a, const char* b) {
  if (std::strcmp(a, b) == 0) return true;
  struct stat sa {};
  struct stat sb {};
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qokit::io
