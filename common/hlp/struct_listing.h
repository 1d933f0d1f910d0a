// The structure listing: every link entry and TOC entry in readable form,
// printed and kept in the file "struct.doc" in the current directory.
#pragma once

#include <cstdio>

namespace qokit::help {

// The printed listing pads the last field of a link entry line; the stored
// one ("struct.doc") gives it three columns, as readers of that file expect.
enum class LinkColumns { kFree, kThreeWide };

// Writes the listing of the tables to `out`.
void write_listing(FILE* out, LinkColumns columns);

// Prints the listing and writes it to "struct.doc". A file that cannot be
// opened or written counts one error.
void print_struct();

// Legacy form: the listing goes only to "struct.doc" (opened "w+"); a failure
// is reported and the run goes on.
void write_struct_doc();

}  // namespace qokit::help
