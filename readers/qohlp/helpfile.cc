#include "helpfile.h"

#include <cstring>

#include "help_format.h"

namespace qokit::reader {

using format::from_canonical_link;
using format::linkentry;
using format::tocentry;
using format::from_canonical_toc;

namespace {

const unsigned char* At(std::string_view bytes, std::size_t at) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + at;
}

LinkEntry ReadLink(std::string_view bytes, std::size_t at) {
  const linkentry raw = from_canonical_link(At(bytes, at));
  return {raw.clntid, raw.tocndx, raw.butndx};
}

class Findings {
 public:
  void Fatal(int code, std::string text) { list_.push_back({true, code, std::move(text)}); }
  // A rule broken: fatal in the current layout, a finding in the legacy one.
  void Rule(int layout, int code, std::string text) {
    list_.push_back({layout == QOHLP_CURRENT, code, std::move(text)});
  }
  bool AnyFatal() const {
    for (const Problem& p : list_)
      if (p.fatal) return true;
    return false;
  }
  std::vector<Problem> Take() { return std::move(list_); }

 private:
  std::vector<Problem> list_;
};

std::string Entry(std::size_t i) { return "TOC entry " + std::to_string(i) + ": "; }

bool StartsChain(const Tables& t, uint16_t type) {
  return type == QOHLP_MAJOR || (t.layout == QOHLP_LEGACY && type == QOHLP_TAG_E);
}

void CheckEntries(std::string_view bytes, Tables& t, Findings& f) {
  const std::size_t n = t.toc.size();
  const int layout = t.layout;
  const uint16_t max_type = layout == QOHLP_CURRENT ? QOHLP_SUB : QOHLP_TAG_E;
  const uint64_t line = t.links[0].butndx;
  uint64_t expected_offset = t.text_offset;
  unsigned buttons = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const TocEntry& e = t.toc[i];
    if (t.links[i + 1].tocndx != i)
      f.Fatal(QOHLP_ERR_LINKS, "link entry " + std::to_string(i + 1) + " names TOC entry " +
                                   std::to_string(t.links[i + 1].tocndx));
    if (e.type > max_type) f.Fatal(QOHLP_ERR_TOC, Entry(i) + "unknown type " + std::to_string(e.type));
    if (e.type == 0) f.Rule(layout, QOHLP_ERR_TOC, Entry(i) + "heading was never completed (type 0)");
    if (e.type == QOHLP_MAJOR || e.type == QOHLP_TAG_T) ++buttons;
    if (e.sndx != 0 && (e.sndx <= i || e.sndx >= n))
      f.Fatal(QOHLP_ERR_TOC, Entry(i) + "next subheading " + std::to_string(e.sndx) + " out of range");
    const bool sub_follows = i + 1 < n && !StartsChain(t, t.toc[i + 1].type);
    if (e.sndx != (sub_follows ? i + 1 : 0))
      f.Rule(layout, QOHLP_ERR_TOC, Entry(i) + "next subheading is " + std::to_string(e.sndx) +
                                        ", the table order gives " + std::to_string(sub_follows ? i + 1 : 0));
    if (i == 0 && e.type != QOHLP_MAJOR)
      f.Rule(layout, QOHLP_ERR_TOC, Entry(i) + "the first heading is not a major heading");
    if (layout == QOHLP_LEGACY && e.offset == 0 && e.length == 0) {
      f.Rule(layout, QOHLP_ERR_TEXT, Entry(i) + "was never filled");
      continue;
    }
    const uint64_t extent = SectionExtent(t, e);
    if (e.offset < t.text_offset || e.offset + extent > bytes.size()) {
      f.Fatal(QOHLP_ERR_TEXT, Entry(i) + "text at " + std::to_string(e.offset) + ", " +
                                  std::to_string(extent) + " bytes, lies outside the text area");
      continue;
    }
    if (layout == QOHLP_CURRENT && ((e.offset - t.text_offset) % line != 0 || e.length == 0))
      f.Fatal(QOHLP_ERR_TEXT, Entry(i) + "does not start on a whole line");
    if (e.offset != expected_offset)
      f.Rule(layout, QOHLP_ERR_TEXT, Entry(i) + "text starts at " + std::to_string(e.offset) +
                                         ", the previous section ends at " + std::to_string(expected_offset));
    expected_offset = e.offset + extent;
  }
  if (expected_offset != bytes.size())
    f.Rule(layout, QOHLP_ERR_TEXT, "the sections end at " + std::to_string(expected_offset) +
                                       ", the file at " + std::to_string(bytes.size()));
  if (layout == QOHLP_LEGACY && t.links[0].butndx != buttons)
    f.Rule(layout, QOHLP_ERR_LINKS, "button count is " + std::to_string(t.links[0].butndx) +
                                        ", the table holds " + std::to_string(buttons));
}

}  // namespace

uint64_t SectionExtent(const Tables& tables, const TocEntry& entry) {
  return tables.layout == QOHLP_CURRENT ? uint64_t{entry.length} * tables.links[0].butndx
                                        : uint64_t{entry.length};
}

std::vector<Problem> ReadTables(std::string_view bytes, int layout, Tables& t) {
  Findings f;
  t = Tables{};
  t.layout = layout;
  if (bytes.size() < format::kLinkEntryBytes) {
    f.Fatal(QOHLP_ERR_TRUNCATED, "the file is shorter than one link entry");
    return f.Take();
  }
  const LinkEntry head = ReadLink(bytes, 0);
  if (head.clntid == 0 && head.tocndx == 0 && head.butndx == 0) {
    f.Fatal(QOHLP_ERR_NO_TABLES, "the tables are empty (the compile reported errors)");
    return f.Take();
  }
  const std::size_t n = head.tocndx;
  if (head.clntid != n + 1) {
    f.Fatal(QOHLP_ERR_LINKS, "link entry 0 counts " + std::to_string(head.clntid) +
                                 " link entries for " + std::to_string(n) + " TOC entries");
    return f.Take();
  }
  t.text_offset = format::table_bytes(static_cast<uint32_t>(n));
  if (t.text_offset > bytes.size()) {
    f.Fatal(QOHLP_ERR_TRUNCATED, "the tables need " + std::to_string(t.text_offset) +
                                     " bytes, the file has " + std::to_string(bytes.size()));
    return f.Take();
  }
  if (layout == QOHLP_CURRENT) {
    if (head.butndx == 0) {
      f.Fatal(QOHLP_ERR_LINKS, "line length is 0");
      return f.Take();
    }
    if ((bytes.size() - t.text_offset) % head.butndx != 0)
      f.Fatal(QOHLP_ERR_TEXT, "the text is not a whole number of " + std::to_string(head.butndx) +
                                  "-byte lines");
  }
  for (std::size_t k = 0; k <= n; ++k) t.links.push_back(ReadLink(bytes, k * format::kLinkEntryBytes));
  for (std::size_t i = 0; i < n; ++i) {
    const tocentry raw = from_canonical_toc(At(bytes, format::kLinkEntryBytes * (n + 1) + i * format::kTocEntryBytes));
    t.toc.push_back({raw.type, raw.sndx, raw.offset, raw.length,
                     std::string(raw.butt_name, static_cast<std::size_t>(format::butt_name_len(raw)))});
  }
  if (!f.AnyFatal()) CheckEntries(bytes, t, f);
  return f.Take();
}

}  // namespace qokit::reader
