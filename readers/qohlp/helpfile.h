// A binary help file: its tables read, checked and kept with the file bytes.
//
// The layout is defined in help_format.h, shared with the help compilers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_bytes.h"
#include "qokit/qohlp.h"

namespace qokit::reader {

// Largest help file the reader loads into memory.
inline constexpr std::size_t kMaxFileSize = io::kMaxInputSize;

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

}  // namespace qokit::reader
