// The symbol file: a generated C header binding every message symbol to its
// number, with a checksum of the mapping, the time of generation and the
// largest number of inserts of any message.
//
// Layout: a comment block with the notice, the guard _H_MSGSYM, then
//   #define _MSGSYM_CHECKSUM   (name padded to 50, value in 8 columns)
//   #define _MSGSYM_TIMESTAMP  "ctime text"  (closing quote in column 67)
//   #define _MAX_INSERTS
// and one "#define NAME NUMBER" per symbol in number order, every value
// ending in column 67; an empty line marks each gap in the numbering.
#pragma once

#include <cstdio>

#include "symbol_file.h"

namespace qokit::msgcomp {

// gensym (regenerate 0: rewrite only when the mapping changed) and regensym
// (regenerate 1: build from the sources alone). 0, 1 or -1.
[[nodiscard]] int GenerateSymbolFile(int regenerate);

// Reads symFileName into the symbol table: 0 read and verified, 1 cannot be
// opened (nothing printed), -1 malformed (message printed).
[[nodiscard]] int ReadSymbolFile();

// The white space between the symbol file's words: the string layer's,
// byte by byte, as for every text the compiler reads.
format::SpaceTable SymbolFileSpaces();

// Writes the whole symbol file text for the current table and statistics,
// with timestamp as the ctime text; false when the stream reported an error.
[[nodiscard]] bool WriteSymbolText(FILE* out, const char* timestamp);

}  // namespace qokit::msgcomp
