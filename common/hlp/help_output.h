// Writing the help file with a sticky status. The compilers write the text
// first and the tables last, after a rewind that clears the stream's error
// flag; a failed text write would then go unnoticed and a help file with a
// hole in its text would be put in place. So after the first failed write
// or seek nothing more is written, and closing the file reports the failure
// with its reason. A file that would outgrow its 32-bit offsets fails the
// same way.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "help_tables.h"

namespace qokit::help {

// Starts a run's output on f2 with a clean status.
void help_output_start();
// Writes to f2 unless an earlier write failed.
void help_write(const void* data, std::size_t size);
inline void help_put(int c);
// Positions f2 at `offset` from its start (also for the tables: a rewind).
void help_seek(uint32_t offset);
// False once any write or seek of the run has failed, or the file would
// have grown past the 4 GiB that its 32-bit offsets can address.
bool help_output_ok();
bool help_output_too_large();
// The errno of the first failed write or seek (EFBIG for a file too large).
int help_output_error();

inline constexpr uint64_t kFileLimit = uint64_t{UINT32_MAX} + 1;
// Ends the output after a failure (errno tells why).
void help_output_fail(bool too_large);

// The legacy text is written a byte at a time; this path stays inline.
inline void help_put(int c) {
  HelpOutputStatus& out = helpState.output;
  if (!out.good) return;
  if (out.position >= kFileLimit) return help_output_fail(true);
  // Single-threaded: the unlocked call halves the processor time of a run.
  if (putc_unlocked(c, helpState.f2) == EOF) return help_output_fail(false);
  ++out.position;
}

}  // namespace qokit::help
