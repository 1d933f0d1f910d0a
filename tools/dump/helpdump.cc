#include "helpdump.h"

#include <string>

#include "helpfile.h"
#include "tool_messages.h"

namespace qokit::dump {

namespace {

void PrintTables(const qokit::reader::Tables& t, std::FILE* out) {
  cli::ListLinkCount(out, t.links.size());
  for (std::size_t k = 0; k < t.links.size(); ++k)
    cli::ListLink(out, k, t.links[k].clntid, t.links[k].tocndx, t.links[k].butndx);
  cli::ListTocCount(out, t.toc.size(), t.text_offset);
  for (std::size_t i = 0; i < t.toc.size(); ++i) {
    const qokit::reader::TocEntry& e = t.toc[i];
    cli::ListToc(out, i, e.type, e.sndx, e.offset, e.length, e.button.c_str());
  }
}

// Section texts, heading by heading along the subheading chains; every line
// (or byte run) is shown between bars so padding and line ends are visible.
void PrintSections(std::string_view bytes, const qokit::reader::Tables& t, std::FILE* out) {
  for (std::size_t i = 0; i < t.toc.size(); ++i) {
    const qokit::reader::TocEntry& e = t.toc[i];
    static constexpr const char* kTags[] = {"$?", "$H", "$S", "$T", "$E"};
    cli::ListSectionHeading(out, i, e.button.c_str(), kTags[e.type <= QOHLP_TAG_E ? e.type : 0], t.links[i + 1].clntid,
                       t.links[i + 1].butndx);
    if (e.offset == 0) continue;
    const std::string_view text = bytes.substr(e.offset, qokit::reader::SectionExtent(t, e));
    if (t.layout == QOHLP_CURRENT) {
      const std::size_t width = t.links[0].butndx;
      for (std::size_t at = 0; at < text.size(); at += width) {
        std::string_view line = text.substr(at, width);
        while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
        cli::ListLine(out, line);
      }
    } else {
      cli::ListByteRun(out, text);
    }
  }
}

}  // namespace

int DumpHelpFile(std::string_view bytes, int layout, const char* name, std::FILE* out, std::FILE* err) {
  qokit::reader::Tables tables;
  const std::vector<qokit::reader::Problem> problems = qokit::reader::ReadTables(bytes, layout, tables);
  bool fatal = false;
  for (const qokit::reader::Problem& p : problems) fatal = fatal || p.fatal;
  if (!tables.links.empty()) PrintTables(tables, out);
  if (!fatal) PrintSections(bytes, tables, out);
  for (const qokit::reader::Problem& p : problems) cli::SayHelpFileProblem(err, name, p.text.c_str());
  return static_cast<int>(problems.size());
}

}  // namespace qokit::dump
