#include "help_output.h"

namespace qokit::help {

void help_output_fail(bool too_large) {
  HelpOutputStatus& out = helpState.output;
  out.good = false;
  out.too_large = too_large;
  out.error = too_large ? EFBIG : errno;
}

void help_output_start() { helpState.output = HelpOutputStatus{}; }

void help_write(const void* data, std::size_t size) {
  HelpOutputStatus& out = helpState.output;
  if (!out.good) return;
  if (out.position + size > kFileLimit) return help_output_fail(true);
  // A flush inside fwrite may fail while fwrite still counts the bytes as
  // taken; the stream's error flag tells, until a seek clears it.
  if (std::fwrite(data, 1, size, helpState.f2) != size || ferror_unlocked(helpState.f2)) return help_output_fail(false);
  out.position += size;
}

void help_seek(uint32_t offset) {
  HelpOutputStatus& out = helpState.output;
  if (!out.good) return;
  if (std::fseek(helpState.f2, static_cast<long>(offset), SEEK_SET) != 0) return help_output_fail(false);
  out.position = offset;
}

bool help_output_ok() { return helpState.output.good; }

bool help_output_too_large() { return helpState.output.too_large; }

int help_output_error() { return helpState.output.error; }

}  // namespace qokit::help
