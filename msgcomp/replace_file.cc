#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open(const char* target) {
  target_ = target;
  temp_ = target_ + ".XXXXXX";
  const int fd = mkstemp(temp_.data());
  if (fd < 0) {
    temp_.clear();
    return false;
  }
  stream_ = fdopen(fd, "w");
  if (stream_ == nullptr) {
    close(fd);
    Discard();
    return false;
  }
  return true;
}

bool ReplacementFile::Commit() {
  if (stream_ == nullptr) return false;
  struct stat old {};
  mode_t mode;
  if (stat(target_.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  ok = ok && fchmod(fileno(stream_), mode) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (ok) {
    temp_.clear();
  } else {
    Discard();
  }
  return ok;
}

void ReplacementFile::Discard() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}
