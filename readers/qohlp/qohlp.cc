// The C interface of the help file reader.
#include "qokit/qohlp.h"

#include <cstring>
#include <memory>
#include <new>

#include "detail.h"
#include "file_bytes.h"
#include "helpfile.h"
#include "input.h"

// A qohlp_file is a qokit::reader::HelpFile; the C name stays an incomplete
// type, so no C++ name outside namespace qokit is defined.
namespace {

using qokit::reader::HelpFile;
namespace format = qokit::format;

const HelpFile* Impl(const qohlp_file* file) { return reinterpret_cast<const HelpFile*>(file); }

int Open(qokit::io::OwnedBytes bytes, int layout, qohlp_file** out, char* detail, std::size_t detail_size) {
  if (layout != QOHLP_CURRENT && layout != QOHLP_LEGACY) return QOHLP_ERR_ARGUMENT;
  std::unique_ptr<HelpFile> file(new (std::nothrow) HelpFile);
  if (file == nullptr) {
    qokit::reader::SetDetail(detail, detail_size, qohlp_strerror(QOHLP_ERR_NOMEM));
    return QOHLP_ERR_NOMEM;
  }
  const int rc = file->Load(std::move(bytes), layout == QOHLP_CURRENT ? format::HelpLayout::kCurrent
                                                                      : format::HelpLayout::kLegacy,
                            detail, detail_size);
  if (rc != QOHLP_OK) return rc;
  *out = reinterpret_cast<qohlp_file*>(file.release());
  return QOHLP_OK;
}

int Opened(qokit::reader::Input input, qokit::io::OwnedBytes bytes, int layout, qohlp_file** out, char* detail,
           std::size_t detail_size) {
  if (input == qokit::reader::Input::kNoMemory) return QOHLP_ERR_NOMEM;
  if (input == qokit::reader::Input::kUnreadable) return QOHLP_ERR_IO;
  return Open(std::move(bytes), layout, out, detail, detail_size);
}

// TOC entry `index` of an open file; false when there is none.
bool Section(const qohlp_file* file, unsigned index, format::tocentry& entry) {
  if (file == nullptr || index >= Impl(file)->sections()) return false;
  entry = format::TocEntry(Impl(file)->bytes(), index);
  return true;
}

uint64_t Extent(const HelpFile& file, const format::tocentry& entry) {
  return format::SectionExtent(file.layout(), file.line_size_or_buttons(), entry);
}

}  // namespace

extern "C" {

const char* qohlp_version(void) { return QOKIT_VERSION; }

const char* qohlp_strerror(int status) {
  switch (status) {
    case QOHLP_OK: return "success";
    case QOHLP_ERR_IO: return "cannot read the file";
    case QOHLP_ERR_NOMEM: return "out of memory";
    case QOHLP_ERR_TRUNCATED: return "file truncated";
    case QOHLP_ERR_NO_TABLES: return "help file has no tables";
    case QOHLP_ERR_LINKS: return "bad link table";
    case QOHLP_ERR_TOC: return "bad table of contents";
    case QOHLP_ERR_TEXT: return "section outside the text";
    case QOHLP_ERR_RANGE: return "no such section or line";
    case QOHLP_ERR_ARGUMENT: return "invalid argument";
    default: return "unknown error";
  }
}

int qohlp_open_file(const char* path, int layout, qohlp_file** out, char* detail, size_t detail_size) {
  if (out == nullptr) return QOHLP_ERR_ARGUMENT;
  *out = nullptr;
  qokit::io::OwnedBytes bytes;
  const qokit::reader::Input input =
      qokit::reader::ReadInput(path, qokit::reader::kMaxHelpFileSize, bytes, detail, detail_size);
  return Opened(input, std::move(bytes), layout, out, detail, detail_size);
}

int qohlp_open_memory(const void* data, size_t size, int layout, qohlp_file** out, char* detail,
                      size_t detail_size) {
  if (out == nullptr || (data == nullptr && size > 0)) return QOHLP_ERR_ARGUMENT;
  *out = nullptr;
  qokit::io::OwnedBytes bytes;
  const qokit::reader::Input input = qokit::reader::CopyInput(data, size, bytes, detail, detail_size);
  return Opened(input, std::move(bytes), layout, out, detail, detail_size);
}

void qohlp_close(qohlp_file* file) { delete reinterpret_cast<HelpFile*>(file); }

int qohlp_get_info(const qohlp_file* file, qohlp_info* info) {
  if (file == nullptr || info == nullptr) return QOHLP_ERR_ARGUMENT;
  const HelpFile& f = *Impl(file);
  const bool current = f.layout() == format::HelpLayout::kCurrent;
  info->layout = current ? QOHLP_CURRENT : QOHLP_LEGACY;
  info->section_count = static_cast<unsigned>(f.sections());
  info->line_size = current ? f.line_size_or_buttons() : 0;
  info->button_count = current ? 0 : f.line_size_or_buttons();
  info->text_offset = f.text_offset();
  info->file_size = f.bytes().size();
  return QOHLP_OK;
}

int qohlp_get_section(const qohlp_file* file, unsigned index, qohlp_section* section) {
  if (file == nullptr || section == nullptr) return QOHLP_ERR_ARGUMENT;
  format::tocentry e;
  if (!Section(file, index, e)) return QOHLP_ERR_RANGE;
  const format::linkentry link = format::LinkEntry(Impl(file)->bytes(), index + 1);
  section->index = index;
  section->type = e.type;
  section->next_sub = e.sndx;
  section->first_link = link.clntid;
  section->second_link = link.butndx;
  std::memset(section->button, 0, sizeof section->button);
  std::memcpy(section->button, e.butt_name, static_cast<std::size_t>(format::butt_name_len(e)));
  section->offset = e.offset;
  section->length = e.length;
  return QOHLP_OK;
}

long qohlp_next_heading(const qohlp_file* file, long after) {
  if (file == nullptr) return QOHLP_NONE;
  const HelpFile& f = *Impl(file);
  for (std::size_t i = after < 0 ? 0 : static_cast<std::size_t>(after) + 1; i < f.sections(); ++i)
    if (format::StartsChain(f.layout(), format::TocEntry(f.bytes(), i).type)) return static_cast<long>(i);
  return QOHLP_NONE;
}

long qohlp_next_subheading(const qohlp_file* file, unsigned index) {
  format::tocentry e;
  if (!Section(file, index, e) || e.sndx == 0) return QOHLP_NONE;
  return e.sndx;
}

long qohlp_find_link(const qohlp_file* file, unsigned link) {
  if (file == nullptr) return QOHLP_NONE;
  const HelpFile& f = *Impl(file);
  for (std::size_t k = 1; k <= f.sections(); ++k)
    if (format::LinkEntry(f.bytes(), k).clntid == link) return static_cast<long>(k - 1);
  return QOHLP_NONE;
}

int qohlp_get_line(const qohlp_file* file, unsigned index, unsigned line, const char** text,
                   size_t* length) {
  if (file == nullptr || text == nullptr || length == nullptr || Impl(file)->layout() != format::HelpLayout::kCurrent)
    return QOHLP_ERR_ARGUMENT;
  format::tocentry e;
  if (!Section(file, index, e) || line >= e.length) return QOHLP_ERR_RANGE;
  const std::string_view bytes = Impl(file)->bytes();
  const std::size_t width = Impl(file)->line_size_or_buttons();
  const std::size_t at = e.offset + std::size_t{line} * width;
  std::size_t n = width;
  while (n > 0 && bytes[at + n - 1] == ' ') --n;
  *text = bytes.data() + at;
  *length = n;
  return QOHLP_OK;
}

int qohlp_get_bytes(const qohlp_file* file, unsigned index, const char** text, size_t* length) {
  if (file == nullptr || text == nullptr || length == nullptr) return QOHLP_ERR_ARGUMENT;
  format::tocentry e;
  if (!Section(file, index, e)) return QOHLP_ERR_RANGE;
  const HelpFile& f = *Impl(file);
  if (e.offset == 0) {  // a legacy entry that was never filled has no text
    *text = f.bytes().data() + f.text_offset();
    *length = 0;
    return QOHLP_OK;
  }
  *text = f.bytes().data() + e.offset;
  *length = static_cast<size_t>(Extent(f, e));
  return QOHLP_OK;
}

}  // extern "C"
