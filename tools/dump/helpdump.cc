#include "helpdump.h"

#include <string>
#include <vector>

#include "help_file_check.h"
#include "qokit/qohlp.h"
#include "tool_messages.h"

namespace qokit::dump {

namespace {

using format::HelpLayout;

std::string Button(const format::tocentry& e) {
  return {e.butt_name, static_cast<std::size_t>(format::butt_name_len(e))};
}

void PrintTables(std::string_view bytes, std::FILE* out) {
  const std::size_t n = format::LinkEntry(bytes, 0).tocndx;
  cli::ListLinkCount(out, n + 1);
  for (std::size_t k = 0; k <= n; ++k) {
    const format::linkentry link = format::LinkEntry(bytes, k);
    cli::ListLink(out, k, link.clntid, link.tocndx, link.butndx);
  }
  cli::ListTocCount(out, n, format::table_bytes(static_cast<uint32_t>(n)));
  for (std::size_t i = 0; i < n; ++i) {
    const format::tocentry e = format::TocEntry(bytes, i);
    cli::ListToc(out, i, e.type, e.sndx, e.offset, e.length, Button(e).c_str());
  }
}

// Section texts, heading by heading along the subheading chains; every line
// (or byte run) is shown between bars so padding and line ends are visible.
void PrintSections(std::string_view bytes, HelpLayout layout, std::FILE* out) {
  const format::linkentry head = format::LinkEntry(bytes, 0);
  for (std::size_t i = 0; i < head.tocndx; ++i) {
    const format::tocentry e = format::TocEntry(bytes, i);
    const format::linkentry link = format::LinkEntry(bytes, i + 1);
    static constexpr const char* kTags[] = {"$?", "$H", "$S", "$T", "$E"};
    cli::ListSectionHeading(out, i, Button(e).c_str(), kTags[e.type <= format::kTagE ? e.type : 0], link.clntid,
                            link.butndx);
    if (e.offset == 0) continue;
    const std::string_view text = bytes.substr(e.offset, format::SectionExtent(layout, head.butndx, e));
    if (layout == HelpLayout::kCurrent) {
      const std::size_t width = head.butndx;
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

// Every finding, kept to be listed after the tables.
class AllFindings final : public format::HelpFindings {
 public:
  bool Found(const format::HelpFinding& finding) override {
    fatal_ = fatal_ || finding.fatal;
    texts_.emplace_back(finding.text);
    return true;
  }
  bool fatal() const { return fatal_; }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  bool fatal_ = false;
  std::vector<std::string> texts_;
};

}  // namespace

int DumpHelpFile(std::string_view bytes, int layout, const char* name, std::FILE* out, std::FILE* err) {
  const HelpLayout help_layout = layout == QOHLP_LEGACY ? HelpLayout::kLegacy : HelpLayout::kCurrent;
  AllFindings findings;
  const bool readable = format::CheckHelpFile(bytes, help_layout, findings);
  if (readable) PrintTables(bytes, out);
  if (!findings.fatal()) PrintSections(bytes, help_layout, out);
  for (const std::string& text : findings.texts()) cli::SayHelpFileProblem(err, name, text.c_str());
  return static_cast<int>(findings.texts().size());
}

}  // namespace qokit::dump
