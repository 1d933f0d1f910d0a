#include "replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "signal_cleanup.h"

namespace qokit::io {

ReplacementFile::~ReplacementFile() { Discard(); }

namespace {

// The file that the output replaces: through a symbolic link, the file it
// points at, so the link itself stays.
std::string ReplacedFile(const char* target) {
  struct stat link {};
  char resolved[PATH_MAX];
  if (lstat(target, &link) == 0 && S_ISLNK(link.st_mode) && realpath(target, resolved) != nullptr) {
    return resolved;
  }
  return target;
}

}  // namespace

bool ReplacementFile::Open(const char* target) {
  target_ = ReplacedFile(target);
  struct stat existing {};
  if (stat(target_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    // A device or a pipe cannot be replaced, only written (a directory fails here).
    stream_ = std::fopen(target_.c_str(), "w");
    return stream_ != nullptr;
  }
  if (access(target_.c_str(), F_OK) == 0 && access(target_.c_str(), W_OK) != 0) return false;
  temp_ = target_ + ".XXXXXX";
  int fd = -1;
  {
    const SignalsHeld held;
    fd = mkstemp(temp_.data());
    if (fd >= 0) removal_slot_ = RecordForRemoval(temp_.c_str());
  }
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
  if (temp_.empty()) {
    const bool written = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    return written && closed;
  }
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
  if (ok) {
    const SignalsHeld held;
    ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (ok) {
      ForgetRemoval(removal_slot_);
      removal_slot_ = -1;
      temp_.clear();
    }
  }
  if (!ok) Discard();
  return ok;
}

void ReplacementFile::Discard() {
  const int failure = errno;  // the caller reports why the file was not written
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (!temp_.empty()) {
    const SignalsHeld held;
    unlink(temp_.c_str());
    ForgetRemoval(removal_slot_);
    removal_slot_ = -1;
  }
  temp_.clear();
  errno = failure;
}

bool WriteWholeFile(const char* path, std::string_view bytes) {
  ReplacementFile file;
  return file.Open(path) && std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) == bytes.size() &&
         file.Commit();
}

}  // namespace qokit::io
