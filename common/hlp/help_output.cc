#include "help_output.h"

#include <cstdio>
#include <limits>

#include "help_tables.h"

namespace {

enum class Status { kGood, kWriteFailed, kTooLarge };
Status status = Status::kGood;
// Where the next byte goes; the tables hold 32-bit offsets, so no byte of
// the file may lie beyond them.
uint64_t position = 0;
constexpr uint64_t kFileLimit = uint64_t{std::numeric_limits<uint32_t>::max()} + 1;

bool room_for(std::size_t size) {
  if (position + size <= kFileLimit) return true;
  status = Status::kTooLarge;
  return false;
}

}  // namespace

void help_output_start() {
  status = Status::kGood;
  position = 0;
}

void help_write(const void* data, std::size_t size) {
  if (status != Status::kGood || !room_for(size)) return;
  // A flush inside fwrite may fail while fwrite still counts the bytes as
  // taken; the stream's error flag tells, until a seek clears it.
  if (std::fwrite(data, 1, size, f2) != size || ferror_unlocked(f2)) status = Status::kWriteFailed;
  position += size;
}

// The legacy text is written a byte at a time by this one thread; the
// unlocked call halves the processor time of a run.
void help_put(int c) {
  if (status != Status::kGood || !room_for(1)) return;
  if (putc_unlocked(c, f2) == EOF || ferror_unlocked(f2)) status = Status::kWriteFailed;
  ++position;
}

void help_seek(uint32_t offset) {
  if (status != Status::kGood) return;
  if (std::fseek(f2, static_cast<long>(offset), SEEK_SET) != 0) status = Status::kWriteFailed;
  position = offset;
}

bool help_output_ok() { return status == Status::kGood; }

bool help_output_too_large() { return status == Status::kTooLarge; }
