// A whole help file (help_format.h has the layout) checked in one pass and
// read in place: the qohlp reader and vexdump share the walk, so both find
// the same faults in the same words. Nothing is allocated; a finding's text
// is written only when there is one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "help_format.h"

namespace qokit::format {

// The text as fixed-length lines (sections are runs of lines), or as the
// legacy compiler's byte stream (sections are byte ranges).
enum class HelpLayout { kCurrent, kLegacy };

enum class HelpFault { kTruncated, kNoTables, kLinks, kToc, kText };

// One fault. A fatal one makes the file unusable (reading on could leave the
// file's bounds); the others break the format's rules only. In the current
// layout every fault is fatal, since its compiler writes tables only for a
// source without errors; the legacy compiler writes whatever malformed
// input gave.
struct HelpFinding {
  bool fatal = true;
  HelpFault fault = HelpFault::kToc;
  std::string_view text;  // valid during the call that reports it
};

// Receives the findings in the order the walk meets them; returning false
// ends the walk.
class HelpFindings {
 public:
  virtual bool Found(const HelpFinding& finding) = 0;

 protected:
  ~HelpFindings() = default;
};

// Checks the tables of `bytes` against the file size and each other and
// reports every finding. True when the tables lie inside the file and can be
// read with the functions below (findings may still have been reported).
bool CheckHelpFile(std::string_view bytes, HelpLayout layout, HelpFindings& findings);

// The tables of a file whose tables CheckHelpFile could read. Link entry 0
// describes the file; entry k > 0 and TOC entry k - 1 describe heading k - 1.
inline linkentry LinkEntry(std::string_view bytes, std::size_t k) {
  return from_canonical_link(reinterpret_cast<const unsigned char*>(bytes.data()) + kLinkEntryBytes * k);
}
inline tocentry TocEntry(std::string_view bytes, std::size_t i) {
  const std::size_t headings = LinkEntry(bytes, 0).tocndx;
  return from_canonical_toc(reinterpret_cast<const unsigned char*>(bytes.data()) + kLinkEntryBytes * (headings + 1) +
                            kTocEntryBytes * i);
}

// Bytes the text of a section takes: lines times line length, or bytes.
inline uint64_t SectionExtent(HelpLayout layout, uint16_t line_size, const tocentry& entry) {
  return layout == HelpLayout::kCurrent ? uint64_t{entry.length} * line_size : uint64_t{entry.length};
}

// Whether a heading of this type starts a chain of subheadings.
inline bool StartsChain(HelpLayout layout, uint16_t type) {
  return type == kMajorHeading || (layout == HelpLayout::kLegacy && type == kTagE);
}

}  // namespace qokit::format
