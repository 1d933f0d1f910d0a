// The time of compilation that the symbol file and the object file record,
// behind a seam so that tests can fix it.
#pragma once

#include <ctime>

namespace qokit::msgcomp {

// The current local time in the form of `ctime` without its line end (24
// characters and a terminator; the buffer's last byte stays free).
void CurrentTimeText(char (&text)[26]);

// Replaces the clock (nullptr restores the system's); for tests.
void SetCompileClock(std::time_t (*clock)());

}  // namespace qokit::msgcomp
