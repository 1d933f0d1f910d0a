// The time of compilation that the symbol file and the object file record,
// behind a seam so that tests can fix it.
#pragma once

#include <ctime>

namespace qokit::msgcomp {

// Takes the compile time from a SOURCE_DATE_EPOCH value (null when it is not
// set): that moment, printed in UTC, so that two builds of the same sources
// give the same bytes whatever the clock and the time zone. False, with the
// clock left in force, when the value is no time (format/time_text.h).
[[nodiscard]] bool UseSourceDateEpoch(const char* value);

// The compile time in the form of `ctime` without its line end (24
// characters and a terminator; the buffer's last byte stays free): the
// SOURCE_DATE_EPOCH moment when one is in force, else the local time.
void CurrentTimeText(char (&text)[26]);

// Replaces the clock (nullptr restores the system's) and forgets any
// SOURCE_DATE_EPOCH moment; for tests.
void SetCompileClock(std::time_t (*clock)());

}  // namespace qokit::msgcomp
