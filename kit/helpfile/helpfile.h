// A binary help file: its tables read, checked and kept with the file bytes.
//
// Layout, every integer most significant byte first:
//   link table  n+1 records of 6 bytes (clntid, tocndx, butndx). Entry 0:
//               n+1, n, and the line length (current layout) or the button
//               count (legacy layout). Entry k: heading k's first link
//               number, its TOC index k-1, its second link number.
//   TOC         n records of 60 bytes: type, sndx (next subheading or 0),
//               offset, length, 48-byte button name padded with zero bytes
//   text        from 6(n+1) + 60n: current layout, lines of exactly the line
//               length (a section's offset and length count lines); legacy
//               layout, a byte stream (offset and length count bytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qohlp.h"

namespace qohlp {

inline constexpr std::size_t kLinkEntrySize = 6;
inline constexpr std::size_t kTocEntrySize = 60;
inline constexpr std::size_t kButtonSize = 48;
// Largest help file the reader loads into memory.
inline constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;

struct LinkEntry {
  uint16_t clntid = 0;
  uint16_t tocndx = 0;
  uint16_t butndx = 0;
};

struct TocEntry {
  uint16_t type = 0;
  uint16_t sndx = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
  std::string button;
};

// One fault found in a file. A fatal one makes the file unusable (reading on
// could leave the file's bounds); the others break the format's rules only.
struct Problem {
  bool fatal = true;
  int code = QOHLP_ERR_TOC;
  std::string text;
};

struct Tables {
  int layout = QOHLP_CURRENT;
  std::vector<LinkEntry> links;
  std::vector<TocEntry> toc;
  uint32_t text_offset = 0;
};

// Reads the tables of `bytes` and reports every fault found. For the current
// layout every fault is fatal, since its compiler writes tables only for a
// source without errors; the legacy compiler writes whatever malformed
// input gave, so there only faults that affect safe reading are fatal.
std::vector<Problem> ReadTables(std::string_view bytes, int layout, Tables& out);

// Bytes the text of section i takes (lines times line length, or bytes).
uint64_t SectionExtent(const Tables& tables, const TocEntry& entry);

}  // namespace qohlp
