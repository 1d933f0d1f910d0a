// The help compilers' in-memory tables and the program-wide state they share.
//
// Both variants fill one link table and one table of contents (TOC) while they
// read the source; the canonical writer (help_file.h) and the listing
// (struct_listing.h) put them on disk afterwards. Link entry 0 describes the
// file; link entry k and TOC entry k - 1 belong to the k-th heading.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "help_format.h"

namespace qokit::help {

// The compilers' table records are the help file's own (help_format.h).
using format::canonical_linkentry;
using format::canonical_tocentry;
using format::linkentry;
using format::tocentry;

// Program-wide state, one instance each, as the driver and every step share it.
extern int32_t linesize;
extern int32_t errors;
extern FILE* f1;  // tagged source, read as text
extern FILE* f2;  // help file, read/write binary
extern std::vector<char> input_line;

extern int16_t help_rec_cnt;
extern uint32_t text_off;
extern std::vector<linkentry> link_ptr;  // help_rec_cnt + 1 entries
extern std::vector<tocentry> toc_ptr;    // help_rec_cnt entries
extern uint32_t link_ndx;
extern uint32_t toc_ndx;

// Allocates both tables zero-filled for help_rec_cnt headings, sets text_off
// and link entry 0's counts, and points link_ndx at entry 1. False when the
// memory is not there; the tables are then empty.
[[nodiscard]] bool alloc_tables();

// Back to the initial state of a run (used between runs inside one process, e.g. tests).
void reset_help_state();

}  // namespace qokit::help
