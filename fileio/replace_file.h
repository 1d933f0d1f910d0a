// Writing an output file so that it is replaced only when completely written:
// the data goes to a temporary file in the target's directory, which is
// renamed over the target after a clean close. A failed or interrupted write
// never leaves a truncated target; the old file stays as it was. A device or
// a pipe is written in place, and a symbolic link is followed, not replaced.
// Shared by the compilers, whose outputs clients load: a half-written file
// would be worse than the old one. The temporary file is also removed when
// the program is interrupted (signal_cleanup.h).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace qokit::io {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacementFile();

  // Creates the temporary file for target; false (errno set) when it cannot,
  // or when target exists and may not be written (as opening it would fail).
  [[nodiscard]] bool Open(const char* target);
  FILE* stream() const { return stream_; }
  // Flushes and closes the stream, gives the file the permission bits of the
  // file it replaces (or the default ones for a new file) and renames it into
  // place. False (errno set) when any step failed; the temporary file is
  // then removed.
  [[nodiscard]] bool Commit();

 private:
  void Discard();

  std::string target_;
  std::string temp_;
  int removal_slot_ = -1;
  FILE* stream_ = nullptr;
};

// Writes `bytes` as the whole new content of `path` through a
// ReplacementFile: false (errno set) when it could not, and the file is then
// as it was.
[[nodiscard]] bool WriteWholeFile(const char* path, std::string_view bytes);

}  // namespace qokit::io
