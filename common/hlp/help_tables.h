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

inline constexpr std::size_t kButtonNameMax = 48;
// The heading count is kept in a signed 16-bit field by older readers.
inline constexpr long kMaxHeadings = 32767;

struct linkentry {
  uint16_t clntid;  // entry 0: number of link entries; else first link number
  uint16_t tocndx;  // entry 0: number of TOC entries; else index of the TOC entry
  uint16_t butndx;  // entry 0: line length (legacy: button count); else second link number
};

struct tocentry {
  uint16_t type;    // 1 "$H", 2 "$S" (legacy also 3 "$T", 4 "$E"); 0 for an invalid heading
  uint16_t sndx;    // next subheading under the same major heading; 0 for none
  uint32_t offset;  // byte offset of the section's text in the help file
  uint32_t length;  // section length: text records (legacy: bytes)
  char butt_name[kButtonNameMax];  // zero-filled; a 48-byte name has no terminator
};

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

// Room at the start of the help file for the two tables of `headings` headings.
constexpr uint32_t table_bytes(uint32_t headings) { return 6 * (headings + 1) + 60 * headings; }

// Allocates both tables zero-filled for help_rec_cnt headings, sets text_off
// and link entry 0's counts, and points link_ndx at entry 1. False when the
// memory is not there; the tables are then empty.
[[nodiscard]] bool alloc_tables();

// The button name as a string of at most 48 bytes (the field may lack a terminator).
inline int butt_name_len(const tocentry& entry) {
  std::size_t n = 0;
  while (n < kButtonNameMax && entry.butt_name[n] != '\0') ++n;
  return static_cast<int>(n);
}

// Back to the initial state of a run (used between runs inside one process, e.g. tests).
void reset_help_state();
