// One compile of a help source held in memory: the source is a read-only
// memory stream, the help file a temporary file, and the program-wide state is
// reset before and after, as a fresh process would have it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "help_tables.h"
#include "qokit/nls/nlsstr.h"
#include "qokit/qohlp.h"

using namespace qokit::help;


class HelpFixture {
 public:
  HelpFixture(const std::string& source, int line_size) : source_(source.begin(), source.end()) {
    static const bool initialised = (nlsInit(), true);
    (void)initialised;
    reset_help_state();
    helpState.linesize = line_size;
    helpState.input_line.assign(2 * static_cast<std::size_t>(helpState.linesize), '\0');
    helpState.f1 = fmemopen(source_.data(), source_.size(), "r");
    helpState.f2 = std::tmpfile();
    CHECK(helpState.f1 != nullptr && helpState.f2 != nullptr);
  }
  HelpFixture(const HelpFixture&) = delete;
  HelpFixture& operator=(const HelpFixture&) = delete;
  ~HelpFixture() {
    std::fclose(helpState.f1);
    std::fclose(helpState.f2);
    reset_help_state();
  }

  // The whole help file as written so far.
  std::string HelpBytes() const {
    CHECK(std::fflush(helpState.f2) == 0);
    std::rewind(helpState.f2);
    std::string bytes;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, helpState.f2)) > 0) bytes.append(chunk, n);
    return bytes;
  }

  // Opening may fail; nothing else is asked.
  static void TryReadBack(const std::string& bytes, int layout) {
    qohlp_file* file = nullptr;
    if (qohlp_open_memory(bytes.data(), bytes.size(), layout, &file, nullptr, 0) == QOHLP_OK) qohlp_close(file);
  }

  // Every section the reader hands out lies inside the file and agrees with
  // the compiler's tables.
  static void CheckReadBack(const std::string& bytes, int layout) {
    qohlp_file* file = nullptr;
    char detail[200];
    const int opened = qohlp_open_memory(bytes.data(), bytes.size(), layout, &file, detail, sizeof detail);
    if (opened != QOHLP_OK) {
      std::fprintf(stderr, "reader refused a compiled help file: %s\n", detail);
      std::abort();
    }
    qohlp_info info;
    CHECK(qohlp_get_info(file, &info) == QOHLP_OK);
    CHECK(info.section_count == static_cast<unsigned>(helpState.help_rec_cnt));
    CHECK(info.file_size == bytes.size());
    for (unsigned i = 0; i < info.section_count; ++i) {
      qohlp_section section;
      CHECK(qohlp_get_section(file, i, &section) == QOHLP_OK);
      CHECK(section.type == helpState.toc_ptr[i].type);
      CHECK(section.first_link == helpState.link_ptr[i + 1].clntid);
      const char* text = nullptr;
      size_t length = 0;
      CHECK(qohlp_get_bytes(file, i, &text, &length) == QOHLP_OK);
      CHECK((text != nullptr || length == 0) && length <= bytes.size());
      if (layout == QOHLP_CURRENT) {
        for (unsigned line = 0; line < section.length; ++line) {
          CHECK(qohlp_get_line(file, i, line, &text, &length) == QOHLP_OK);
          CHECK(length <= info.line_size);
        }
      }
    }
    qohlp_close(file);
  }

 private:
  std::vector<char> source_;
};
