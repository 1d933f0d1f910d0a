// The C interface of the help file reader.
#include "qokit/qohlp.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "detail.h"
#include "file_bytes.h"
#include "helpfile.h"

struct qohlp_file {
  std::string bytes;
  qokit::reader::Tables tables;
};

namespace {

int Open(std::string&& bytes, int layout, qohlp_file** out, char* detail, std::size_t detail_size) {
  if (layout != QOHLP_CURRENT && layout != QOHLP_LEGACY) return QOHLP_ERR_ARGUMENT;
  auto file = std::unique_ptr<qohlp_file>(new (std::nothrow) qohlp_file);
  if (file == nullptr) {
    qokit::reader::SetDetail(detail, detail_size, qohlp_strerror(QOHLP_ERR_NOMEM));
    return QOHLP_ERR_NOMEM;
  }
  try {
    file->bytes = std::move(bytes);
    for (const qokit::reader::Problem& p : qokit::reader::ReadTables(file->bytes, layout, file->tables)) {
      if (!p.fatal) continue;
      qokit::reader::SetDetail(detail, detail_size, p.text);
      return p.code;
    }
  } catch (const std::bad_alloc&) {
    qokit::reader::SetDetail(detail, detail_size, qohlp_strerror(QOHLP_ERR_NOMEM));
    return QOHLP_ERR_NOMEM;
  }
  qokit::reader::SetDetail(detail, detail_size, "");
  *out = file.release();
  return QOHLP_OK;
}

const qokit::reader::TocEntry* Section(const qohlp_file* file, unsigned index) {
  if (file == nullptr || index >= file->tables.toc.size()) return nullptr;
  return &file->tables.toc[index];
}

}  // namespace

extern "C" {

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
  std::string bytes;
  if (path == nullptr || !qokit::io::ReadWholeFile(path, bytes, qokit::reader::kMaxFileSize)) {
    qokit::reader::SetDetail(detail, detail_size,
              std::string("cannot read ") + (path ? path : "(null)") + ": " + std::strerror(errno));
    return QOHLP_ERR_IO;
  }
  return Open(std::move(bytes), layout, out, detail, detail_size);
}

int qohlp_open_memory(const void* data, size_t size, int layout, qohlp_file** out, char* detail,
                      size_t detail_size) {
  if (out == nullptr || (data == nullptr && size > 0)) return QOHLP_ERR_ARGUMENT;
  *out = nullptr;
  try {
    std::string bytes(static_cast<const char*>(data), data == nullptr ? 0 : size);
    return Open(std::move(bytes), layout, out, detail, detail_size);
  } catch (const std::bad_alloc&) {
    return QOHLP_ERR_NOMEM;
  }
}

void qohlp_close(qohlp_file* file) { delete file; }

int qohlp_get_info(const qohlp_file* file, qohlp_info* info) {
  if (file == nullptr || info == nullptr) return QOHLP_ERR_ARGUMENT;
  const qokit::reader::Tables& t = file->tables;
  info->layout = t.layout;
  info->section_count = static_cast<unsigned>(t.toc.size());
  info->line_size = t.layout == QOHLP_CURRENT ? t.links[0].butndx : 0;
  info->button_count = t.layout == QOHLP_LEGACY ? t.links[0].butndx : 0;
  info->text_offset = t.text_offset;
  info->file_size = file->bytes.size();
  return QOHLP_OK;
}

int qohlp_get_section(const qohlp_file* file, unsigned index, qohlp_section* section) {
  if (file == nullptr || section == nullptr) return QOHLP_ERR_ARGUMENT;
  const qokit::reader::TocEntry* e = Section(file, index);
  if (e == nullptr) return QOHLP_ERR_RANGE;
  const qokit::reader::LinkEntry& link = file->tables.links[index + 1];
  section->index = index;
  section->type = e->type;
  section->next_sub = e->sndx;
  section->first_link = link.clntid;
  section->second_link = link.butndx;
  std::memset(section->button, 0, sizeof section->button);
  std::memcpy(section->button, e->button.data(), e->button.size());
  section->offset = e->offset;
  section->length = e->length;
  return QOHLP_OK;
}

long qohlp_next_heading(const qohlp_file* file, long after) {
  if (file == nullptr) return -1;
  const auto& toc = file->tables.toc;
  for (std::size_t i = after < 0 ? 0 : static_cast<std::size_t>(after) + 1; i < toc.size(); ++i) {
    if (toc[i].type == QOHLP_MAJOR || (file->tables.layout == QOHLP_LEGACY && toc[i].type == QOHLP_TAG_E))
      return static_cast<long>(i);
  }
  return -1;
}

long qohlp_next_subheading(const qohlp_file* file, unsigned index) {
  const qokit::reader::TocEntry* e = Section(file, index);
  return e == nullptr || e->sndx == 0 ? -1 : static_cast<long>(e->sndx);
}

long qohlp_find_link(const qohlp_file* file, unsigned link) {
  if (file == nullptr) return -1;
  const auto& links = file->tables.links;
  for (std::size_t k = 1; k < links.size(); ++k)
    if (links[k].clntid == link) return static_cast<long>(k - 1);
  return -1;
}

int qohlp_get_line(const qohlp_file* file, unsigned index, unsigned line, const char** text,
                   size_t* length) {
  if (file == nullptr || text == nullptr || length == nullptr || file->tables.layout != QOHLP_CURRENT)
    return QOHLP_ERR_ARGUMENT;
  const qokit::reader::TocEntry* e = Section(file, index);
  if (e == nullptr || line >= e->length) return QOHLP_ERR_RANGE;
  const std::size_t width = file->tables.links[0].butndx;
  const std::size_t at = e->offset + std::size_t{line} * width;
  std::size_t n = width;
  while (n > 0 && file->bytes[at + n - 1] == ' ') --n;
  *text = file->bytes.data() + at;
  *length = n;
  return QOHLP_OK;
}

int qohlp_get_bytes(const qohlp_file* file, unsigned index, const char** text, size_t* length) {
  if (file == nullptr || text == nullptr || length == nullptr) return QOHLP_ERR_ARGUMENT;
  const qokit::reader::TocEntry* e = Section(file, index);
  if (e == nullptr) return QOHLP_ERR_RANGE;
  if (e->offset == 0) {  // a legacy entry that was never filled has no text
    *text = file->bytes.data() + file->tables.text_offset;
    *length = 0;
    return QOHLP_OK;
  }
  *text = file->bytes.data() + e->offset;
  *length = static_cast<size_t>(qokit::reader::SectionExtent(file->tables, *e));
  return QOHLP_OK;
}

}  // extern "C"
