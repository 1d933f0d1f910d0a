// A plain entry of the message sources read in one sweep over its bytes: no
// comment, escape or NUL byte, every part within its bounds, a severity
// letter and a number that are valid, all within one source, and after it
// the next entry's first digit or only white space to the end of the last
// source. Most entries of a real catalogue are plain; the byte-by-byte reader
// takes all others, with their faults.
#pragma once

#include <cstdint>

namespace qokit::msgcomp {

// Reads a plain entry from where the cursor stands, as ReadMessage delivers
// it, and counts the lines it passes. False, with nothing read or changed,
// for any other.
bool ReadPlainEntry(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response,
                    int32_t* srcIndex, long* line);

}  // namespace qokit::msgcomp
