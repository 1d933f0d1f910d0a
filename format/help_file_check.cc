#include "help_file_check.h"

#include <cstdarg>
#include <cstdio>

namespace qokit::format {

namespace {

// Reports findings, writing each one's text only when it is found.
class Reporter {
 public:
  Reporter(HelpLayout layout, HelpFindings& findings) : layout_(layout), findings_(findings) {}

  // A fault that makes the file unusable.
  [[gnu::format(printf, 3, 4)]] void Fatal(HelpFault fault, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    Report(true, fault, format, ap);
    va_end(ap);
  }
  // A rule broken: fatal in the current layout, a finding in the legacy one.
  [[gnu::format(printf, 3, 4)]] void Rule(HelpFault fault, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    Report(layout_ == HelpLayout::kCurrent, fault, format, ap);
    va_end(ap);
  }
  bool stopped() const { return stopped_; }
  bool any_fatal() const { return any_fatal_; }

 private:
  [[gnu::format(printf, 4, 0)]] void Report(bool fatal, HelpFault fault, const char* format, va_list ap) {
    if (stopped_) return;
    char text[160];
    std::vsnprintf(text, sizeof text, format, ap);
    any_fatal_ = any_fatal_ || fatal;
    stopped_ = !findings_.Found({fatal, fault, text});
  }

  HelpLayout layout_;
  HelpFindings& findings_;
  bool stopped_ = false;
  bool any_fatal_ = false;
};

void CheckEntries(std::string_view bytes, HelpLayout layout, Reporter& r) {
  const linkentry head = LinkEntry(bytes, 0);
  const std::size_t n = head.tocndx;
  const uint32_t text_offset = table_bytes(head.tocndx);
  const uint16_t max_type = layout == HelpLayout::kCurrent ? kSubheading : kTagE;
  uint64_t expected_offset = text_offset;
  unsigned buttons = 0;
  tocentry next = n > 0 ? TocEntry(bytes, 0) : tocentry{};
  for (std::size_t i = 0; i < n && !r.stopped(); ++i) {
    const tocentry e = next;
    if (i + 1 < n) next = TocEntry(bytes, i + 1);
    const unsigned tocndx = LinkEntry(bytes, i + 1).tocndx;
    if (tocndx != i) r.Fatal(HelpFault::kLinks, "link entry %zu names TOC entry %u", i + 1, tocndx);
    if (e.type > max_type) r.Fatal(HelpFault::kToc, "TOC entry %zu: unknown type %u", i, unsigned{e.type});
    if (e.type == 0) r.Rule(HelpFault::kToc, "TOC entry %zu: heading was never completed (type 0)", i);
    if (e.type == kMajorHeading || e.type == kTagT) ++buttons;
    if (e.sndx != 0 && (e.sndx <= i || e.sndx >= n))
      r.Fatal(HelpFault::kToc, "TOC entry %zu: next subheading %u out of range", i, unsigned{e.sndx});
    const std::size_t chained = i + 1 < n && !StartsChain(layout, next.type) ? i + 1 : 0;
    if (e.sndx != chained)
      r.Rule(HelpFault::kToc, "TOC entry %zu: next subheading is %u, the table order gives %zu", i, unsigned{e.sndx},
             chained);
    if (i == 0 && e.type != kMajorHeading) r.Rule(HelpFault::kToc, "TOC entry %zu: the first heading is not a major heading", i);
    if (layout == HelpLayout::kLegacy && e.offset == 0 && e.length == 0) {
      r.Rule(HelpFault::kText, "TOC entry %zu: was never filled", i);
      continue;
    }
    const uint64_t extent = SectionExtent(layout, head.butndx, e);
    if (e.offset < text_offset || e.offset + extent > bytes.size()) {
      r.Fatal(HelpFault::kText, "TOC entry %zu: text at %u, %llu bytes, lies outside the text area", i,
              unsigned{e.offset}, static_cast<unsigned long long>(extent));
      continue;
    }
    if (layout == HelpLayout::kCurrent && ((e.offset - text_offset) % head.butndx != 0 || e.length == 0))
      r.Fatal(HelpFault::kText, "TOC entry %zu: does not start on a whole line", i);
    if (e.offset != expected_offset)
      r.Rule(HelpFault::kText, "TOC entry %zu: text starts at %u, the previous section ends at %llu", i,
             unsigned{e.offset}, static_cast<unsigned long long>(expected_offset));
    expected_offset = e.offset + extent;
  }
  if (expected_offset != bytes.size())
    r.Rule(HelpFault::kText, "the sections end at %llu, the file at %zu", static_cast<unsigned long long>(expected_offset),
           bytes.size());
  if (layout == HelpLayout::kLegacy && head.butndx != buttons)
    r.Rule(HelpFault::kLinks, "button count is %u, the table holds %u", unsigned{head.butndx}, buttons);
}

}  // namespace

bool CheckHelpFile(std::string_view bytes, HelpLayout layout, HelpFindings& findings) {
  Reporter r(layout, findings);
  if (bytes.size() < kLinkEntryBytes) {
    r.Fatal(HelpFault::kTruncated, "the file is shorter than one link entry");
    return false;
  }
  const linkentry head = LinkEntry(bytes, 0);
  if (head.clntid == 0 && head.tocndx == 0 && head.butndx == 0) {
    r.Fatal(HelpFault::kNoTables, "the tables are empty (the compile reported errors)");
    return false;
  }
  const std::size_t n = head.tocndx;
  if (head.clntid != n + 1) {
    r.Fatal(HelpFault::kLinks, "link entry 0 counts %u link entries for %zu TOC entries", unsigned{head.clntid}, n);
    return false;
  }
  const uint32_t text_offset = table_bytes(head.tocndx);
  if (text_offset > bytes.size()) {
    r.Fatal(HelpFault::kTruncated, "the tables need %u bytes, the file has %zu", text_offset, bytes.size());
    return false;
  }
  if (layout == HelpLayout::kCurrent) {
    if (head.butndx == 0) {
      r.Fatal(HelpFault::kLinks, "line length is 0");
      return false;
    }
    if ((bytes.size() - text_offset) % head.butndx != 0)
      r.Fatal(HelpFault::kText, "the text is not a whole number of %u-byte lines", unsigned{head.butndx});
  }
  if (!r.any_fatal()) CheckEntries(bytes, layout, r);
  return true;
}

}  // namespace qokit::format
