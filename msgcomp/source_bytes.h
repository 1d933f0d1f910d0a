// The bytes of the message sources, read whole once per run, so that every
// pass scans memory and the second pass needs no second read. Line numbers
// are counted only where a message needs one, from the last line asked for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "file_bytes.h"

namespace qokit::msgcomp {

inline constexpr int kMaxSourceFiles = 15;

// Where the reader stands in the sources.
struct SourceCursor {
  int32_t file = 0;            // the source being read; the number of sources once all have ended
  const char* at = nullptr;    // its next byte
  const char* end = nullptr;   // one past its last byte
  int32_t commentFile = 0;     // where the last comment began: its "/"
  const char* commentAt = nullptr;
};

class SourceBytes {
 public:
  // Which stream could not be read and why (ENOMEM: memory ran out); file
  // -1 when every one was.
  struct LoadFault {
    int file = -1;
    int error = 0;
  };
  // Reads every stream whole from its start (a stream that cannot seek, from
  // where it stands).
  [[nodiscard]] LoadFault Load(std::FILE* const* streams, int count);
  bool loaded() const { return loaded_; }
  // The bytes of every source together.
  std::size_t Size() const { return bytes_.size; }
  void Clear();

  // The bytes of source `file`. A NUL byte stands at End(file), outside the
  // source, so that a scan for a run of bytes that a NUL ends needs no bound.
  const char* Begin(int file) const { return bytes_.data.get() + starts_[static_cast<std::size_t>(file)]; }
  const char* End(int file) const { return bytes_.data.get() + starts_[static_cast<std::size_t>(file) + 1] - 1; }

  // The line, counted from 1, of the byte at `at` (Begin(file) to End(file)).
  // Mostly asked where the last count ended: that answer takes no call.
  long LineOf(int file, const char* at) { return file == markFile_ && at == markAt_ ? markLine_ : CountTo(file, at); }
  // Tells where a reader that counted the line feeds itself has got to, so
  // that the next count starts there.
  void Mark(int file, const char* at, long line) {
    markFile_ = file;
    markAt_ = at;
    markLine_ = line;
  }

 private:
  long CountTo(int file, const char* at);

  io::ByteBuffer bytes_;  // every source, each followed by a NUL
  std::array<std::size_t, kMaxSourceFiles + 1> starts_{};
  bool loaded_ = false;
  // The last place asked for, from where the next count goes on.
  int markFile_ = -1;
  const char* markAt_ = nullptr;
  long markLine_ = 1;
};

}  // namespace qokit::msgcomp
