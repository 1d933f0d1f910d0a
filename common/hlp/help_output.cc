#include "help_output.h"

namespace qokit::help {

namespace output_detail {

bool good = true;
uint64_t position = 0;
bool too_large_seen = false;

void fail(bool too_large) {
  good = false;
  too_large_seen = too_large;
}

}  // namespace output_detail

using namespace output_detail;

void help_output_start() {
  good = true;
  too_large_seen = false;
  position = 0;
}

void help_write(const void* data, std::size_t size) {
  if (!good) return;
  if (position + size > kFileLimit) return fail(true);
  // A flush inside fwrite may fail while fwrite still counts the bytes as
  // taken; the stream's error flag tells, until a seek clears it.
  if (std::fwrite(data, 1, size, f2) != size || ferror_unlocked(f2)) return fail(false);
  position += size;
}

void help_seek(uint32_t offset) {
  if (!good) return;
  if (std::fseek(f2, static_cast<long>(offset), SEEK_SET) != 0) return fail(false);
  position = offset;
}

bool help_output_ok() { return good; }

bool help_output_too_large() { return too_large_seen; }

}  // namespace qokit::help
