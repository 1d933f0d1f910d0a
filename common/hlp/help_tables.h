// The help compilers' in-memory tables and the one state record of a run.
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
#include "help_syntax.h"

namespace qokit::help {

// The compilers' table records are the help file's own (help_format.h).
using format::canonical_linkentry;
using format::canonical_tocentry;
using format::linkentry;
using format::tocentry;

// The help file's output status: after the first failed write or seek
// nothing more is written (help_output.h).
struct HelpOutputStatus {
  bool good = true;
  uint64_t position = 0;  // where the next byte goes
  bool too_large = false;
  int error = 0;          // errno of the failed write, seek or close
};

// Everything one run of a help compiler keeps, as the driver and every step
// share it. The member names are the compilers' own.
struct HelpCompilerState {
  int32_t linesize = format::kDefaultLineSize;
  int32_t errors = 0;
  FILE* f1 = nullptr;  // tagged source, read as text
  bool source_unread = false;  // a read of f1 failed (a rewind clears the stream's own flag)
  FILE* f2 = nullptr;  // help file, read/write binary
  std::vector<char> input_line;

  int16_t help_rec_cnt = 0;
  uint32_t text_off = 0;
  std::vector<linkentry> link_ptr;  // help_rec_cnt + 1 entries
  std::vector<tocentry> toc_ptr;    // help_rec_cnt entries
  uint32_t link_ndx = 0;
  uint32_t toc_ndx = 0;

  // The tagged source: the source line being processed (from 1), the line of
  // the first "$H" and the line where the current heading's text starts.
  uint32_t file_line_num = 0;
  uint32_t file_first_line_num = 0;
  uint32_t start_line_num = 0;

  // The legacy source: text bytes of the earlier sections and of the current
  // one, and the "$H" and "$T" headings closed so far.
  uint32_t earlier_bytes = 0;
  uint32_t section_bytes = 0;
  uint16_t button_count = 0;

  HelpOutputStatus output;
};

// The state of the run.
extern HelpCompilerState helpState;

// Allocates both tables zero-filled for help_rec_cnt headings, sets text_off
// and link entry 0's counts, and points link_ndx at entry 1. False when the
// memory is not there; the tables are then empty.
[[nodiscard]] bool alloc_tables();

// Back to the initial state of a run (used between runs inside one process, e.g. tests).
void reset_help_state();

}  // namespace qokit::help
