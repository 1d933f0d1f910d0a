// What the dump tool reads back from a generated symbol file.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace qokit::dump {

// Number -> symbol name, from the "#define NAME NUMBER" lines of a symbol
// file (the control values _H_MSGSYM, _MSGSYM_CHECKSUM, _MSGSYM_TIMESTAMP
// and _MAX_INSERTS are skipped). False when the file cannot be read.
bool ReadSymbolNames(const char* path, std::map<long, std::string>& names);

// The value of a symbol file's _MAX_INSERTS line when it is a number (the
// first such line); nothing without one. False when the file cannot be read.
bool ReadMaxInserts(const char* path, std::optional<long>& value);

}  // namespace qokit::dump
