#include "helpfile.h"

#include "detail.h"
#include "qokit/qohlp.h"

namespace qokit::reader {

namespace {

int StatusOf(format::HelpFault fault) {
  switch (fault) {
    case format::HelpFault::kTruncated: return QOHLP_ERR_TRUNCATED;
    case format::HelpFault::kNoTables: return QOHLP_ERR_NO_TABLES;
    case format::HelpFault::kLinks: return QOHLP_ERR_LINKS;
    case format::HelpFault::kToc: return QOHLP_ERR_TOC;
    case format::HelpFault::kText: return QOHLP_ERR_TEXT;
  }
  return QOHLP_ERR_TOC;
}

// The first fatal finding ends the check; the legacy layout's broken rules
// do not hinder reading.
class FirstFatal final : public format::HelpFindings {
 public:
  FirstFatal(char* detail, std::size_t detail_size) : detail_(detail), detail_size_(detail_size) {}
  bool Found(const format::HelpFinding& finding) override {
    if (!finding.fatal) return true;
    status_ = StatusOf(finding.fault);
    SetDetail(detail_, detail_size_, finding.text);
    return false;
  }
  int status() const { return status_; }

 private:
  char* detail_;
  std::size_t detail_size_;
  int status_ = QOHLP_OK;
};

}  // namespace

int HelpFile::Load(io::OwnedBytes bytes, format::HelpLayout layout, char* detail, std::size_t detail_size) noexcept {
  const std::string_view view(reinterpret_cast<const char*>(bytes.data.get()), bytes.size);
  FirstFatal first(detail, detail_size);
  format::CheckHelpFile(view, layout, first);
  if (first.status() != QOHLP_OK) return first.status();
  head_ = format::LinkEntry(view, 0);
  bytes_ = std::move(bytes);
  layout_ = layout;
  SetDetail(detail, detail_size, "");
  return QOHLP_OK;
}

}  // namespace qokit::reader
