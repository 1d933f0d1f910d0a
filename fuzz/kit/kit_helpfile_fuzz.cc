// The help file reader on arbitrary bytes, in the layout the first byte picks.
//
// Properties: a file that opens hands out sections, lines and byte ranges
// inside the file only, the walks end, and link lookups find a section with
// that link.
#include <cstdint>
#include <cstdlib>

#include "fuzz_check.h"
#include "qokit/qohlp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int layout = data[0] % 2 == 0 ? QOHLP_CURRENT : QOHLP_LEGACY;
  qohlp_file* file = nullptr;
  char detail[256];
  const int opened = qohlp_open_memory(data + 1, size - 1, layout, &file, detail, sizeof detail);
  if (opened != QOHLP_OK) {
    CHECK(file == nullptr && opened < 0);
    return 0;
  }
  qohlp_info info;
  CHECK(qohlp_get_info(file, &info) == QOHLP_OK);
  CHECK(info.layout == layout && info.file_size == size - 1 && info.text_offset <= info.file_size);
  for (unsigned i = 0; i < info.section_count; ++i) {
    qohlp_section section;
    CHECK(qohlp_get_section(file, i, &section) == QOHLP_OK);
    CHECK(section.index == i && section.button[48] == '\0');
    // The legacy compiler leaves the entries of headings it never reached empty.
    const bool unreached = layout == QOHLP_LEGACY && section.offset == 0 && section.length == 0;
    CHECK(unreached || (section.offset >= info.text_offset && section.offset <= info.file_size));
    const char* text = nullptr;
    size_t length = 0;
    CHECK(qohlp_get_bytes(file, i, &text, &length) == QOHLP_OK);
    CHECK((length == 0 || text != nullptr) && section.offset + length <= info.file_size);
    if (layout == QOHLP_CURRENT) {
      for (unsigned line = 0; line < section.length; ++line) {
        CHECK(qohlp_get_line(file, i, line, &text, &length) == QOHLP_OK);
        CHECK(length <= info.line_size);
      }
      CHECK(qohlp_get_line(file, i, static_cast<unsigned>(section.length), &text, &length) != QOHLP_OK);
    }
    const long found = qohlp_find_link(file, section.first_link);
    CHECK(found >= 0 && found <= static_cast<long>(i));
  }
  qohlp_section none;
  CHECK(qohlp_get_section(file, info.section_count, &none) != QOHLP_OK);

  // Every walk visits each section at most once.
  unsigned visited = 0;
  for (long h = qohlp_next_heading(file, -1); h >= 0; h = qohlp_next_heading(file, h)) {
    CHECK(h < static_cast<long>(info.section_count) && ++visited <= info.section_count);
    unsigned chain = 0;
    for (long s = qohlp_next_subheading(file, static_cast<unsigned>(h)); s >= 0;
         s = qohlp_next_subheading(file, static_cast<unsigned>(s))) {
      CHECK(s < static_cast<long>(info.section_count) && ++chain <= info.section_count);
    }
  }
  qohlp_close(file);
  return 0;
}
