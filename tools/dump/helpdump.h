// Writes a help file's tables and sections as text, with every fault found.
#pragma once

#include <cstdio>
#include <string_view>

namespace qokit::dump {

// Prints the link table, the table of contents and (when the file is safe
// to read) each section's text of the help file `bytes` to `out`; faults go
// to `err`, each prefixed with `name`. Returns the number of faults.
int DumpHelpFile(std::string_view bytes, int layout, const char* name, std::FILE* out, std::FILE* err);

}  // namespace qokit::dump
