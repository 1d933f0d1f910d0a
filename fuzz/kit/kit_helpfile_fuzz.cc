// The help file reader on arbitrary bytes, in the layout the first byte picks.
//
// Properties: a file that opens hands out sections, lines and byte ranges
// inside the file only, the walks end, and link lookups find a section with
// that link.
#include <cstdint>
#include <cstdlib>

#include "qohlp.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int layout = data[0] % 2 == 0 ? QOHLP_CURRENT : QOHLP_LEGACY;
  qohlp_file* file = nullptr;
  char detail[256];
  const int opened = qohlp_open_memory(data + 1, size - 1, layout, &file, detail, sizeof detail);
  if (opened != QOHLP_OK) {
    Check(file == nullptr && opened < 0);
    return 0;
  }
  qohlp_info info;
  Check(qohlp_get_info(file, &info) == QOHLP_OK);
  Check(info.layout == layout && info.file_size == size - 1 && info.text_offset <= info.file_size);
  for (unsigned i = 0; i < info.section_count; ++i) {
    qohlp_section section;
    Check(qohlp_get_section(file, i, &section) == QOHLP_OK);
    Check(section.index == i && section.button[48] == '\0');
    Check(section.offset >= info.text_offset && section.offset <= info.file_size);
    const char* text = nullptr;
    size_t length = 0;
    Check(qohlp_get_bytes(file, i, &text, &length) == QOHLP_OK);
    Check((length == 0 || text != nullptr) && section.offset + length <= info.file_size);
    if (layout == QOHLP_CURRENT) {
      for (unsigned line = 0; line < section.length; ++line) {
        Check(qohlp_get_line(file, i, line, &text, &length) == QOHLP_OK);
        Check(length <= info.line_size);
      }
      Check(qohlp_get_line(file, i, static_cast<unsigned>(section.length), &text, &length) != QOHLP_OK);
    }
    const long found = qohlp_find_link(file, section.first_link);
    Check(found >= 0 && found <= static_cast<long>(i));
  }
  qohlp_section none;
  Check(qohlp_get_section(file, info.section_count, &none) != QOHLP_OK);

  // Every walk visits each section at most once.
  unsigned visited = 0;
  for (long h = qohlp_next_heading(file, -1); h >= 0; h = qohlp_next_heading(file, h)) {
    Check(h < static_cast<long>(info.section_count) && ++visited <= info.section_count);
    unsigned chain = 0;
    for (long s = qohlp_next_subheading(file, static_cast<unsigned>(h)); s >= 0;
         s = qohlp_next_subheading(file, static_cast<unsigned>(s))) {
      Check(s < static_cast<long>(info.section_count) && ++chain <= info.section_count);
    }
  }
  qohlp_close(file);
  return 0;
}
