// Writes a message catalogue back as message source text.
//
// The output recompiles to the same object file: every insert is written as
// "@n" and its conversion, texts and responses with the escapes the source
// format knows, the format codes as DATEFORMAT, TIMEFORMAT and NUMBERFORMAT
// meta-symbols. A severity stored as 0 is written as Z (L is stored as 0 too).
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "catalog.h"

namespace qokit::dump {

// Writes the source text of `catalog` to `out`, naming each message from
// `names` (number -> symbol) or, where it has none, MSG_<number>. Problems
// that make the output differ from the file (a byte the source format cannot
// express) are reported on `err`; returns false when there were any.
bool WriteMessageSource(const qokit::reader::Catalog& catalog, const std::map<long, std::string>& names,
                        std::FILE* out, std::FILE* err);

}  // namespace qokit::dump
