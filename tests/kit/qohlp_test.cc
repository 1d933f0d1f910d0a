// The help file reader on hand-assembled help files of both layouts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "help_bytes.h"
#include "qokit/qohlp.h"
#include "temp_dir.h"

namespace {

using namespace kittest;

struct FilePtr {
  qohlp_file* p = nullptr;
  ~FilePtr() { qohlp_close(p); }
};

int Open(const std::string& bytes, int layout, FilePtr& f, std::string* detail = nullptr) {
  char text[256] = "unset";
  const int rc = qohlp_open_memory(bytes.data(), bytes.size(), layout, &f.p, text, sizeof text);
  if (detail) *detail = text;
  return rc;
}

std::string LineOf(const FilePtr& f, unsigned section, unsigned line) {
  const char* text = nullptr;
  size_t n = 0;
  if (qohlp_get_line(f.p, section, line, &text, &n) != QOHLP_OK) return "<none>";
  return std::string(text, n);
}

TEST(QohlpReader, ReadsTheOneHeadingExample) {
  const std::string bytes = OneHeadingFile();
  ASSERT_EQ(bytes.size(), 288u);
  FilePtr f;
  ASSERT_EQ(Open(bytes, QOHLP_CURRENT, f), QOHLP_OK);
  qohlp_info info;
  ASSERT_EQ(qohlp_get_info(f.p, &info), QOHLP_OK);
  EXPECT_EQ(info.section_count, 1u);
  EXPECT_EQ(info.line_size, 72u);
  EXPECT_EQ(info.text_offset, 72u);
  qohlp_section s;
  ASSERT_EQ(qohlp_get_section(f.p, 0, &s), QOHLP_OK);
  EXPECT_EQ(s.type, QOHLP_MAJOR);
  EXPECT_EQ(s.first_link, 5u);
  EXPECT_EQ(s.second_link, 7u);
  EXPECT_STREQ(s.button, "Intro");
  EXPECT_EQ(s.offset, 72u);
  EXPECT_EQ(s.length, 3u);
  EXPECT_EQ(LineOf(f, 0, 0), "Welcome");
  EXPECT_EQ(LineOf(f, 0, 1), "  second line");
  EXPECT_EQ(LineOf(f, 0, 2), "");
  EXPECT_EQ(LineOf(f, 0, 3), "<none>");
  EXPECT_EQ(qohlp_get_section(f.p, 1, &s), QOHLP_ERR_RANGE);
  EXPECT_EQ(qohlp_find_link(f.p, 5), 0);
  EXPECT_EQ(qohlp_find_link(f.p, 7), -1);
}

TEST(QohlpReader, WalksHeadingsAndSubheadings) {
  FilePtr f;
  std::string detail;
  ASSERT_EQ(Open(FourHeadingFile(), QOHLP_CURRENT, f, &detail), QOHLP_OK) << detail;
  std::string walk;
  for (long h = qohlp_next_heading(f.p, -1); h >= 0; h = qohlp_next_heading(f.p, h)) {
    walk += "H" + std::to_string(h);
    for (long s = qohlp_next_subheading(f.p, static_cast<unsigned>(h)); s >= 0;
         s = qohlp_next_subheading(f.p, static_cast<unsigned>(s)))
      walk += " S" + std::to_string(s);
    walk += ";";
  }
  EXPECT_EQ(walk, "H0 S1 S2;H3;");
  EXPECT_EQ(LineOf(f, 2, 2), "b");
  EXPECT_EQ(LineOf(f, 3, 0), "End");
  qohlp_section s;
  ASSERT_EQ(qohlp_get_section(f.p, 3, &s), QOHLP_OK);
  EXPECT_EQ(std::string(s.button), std::string(48, 'B'));  // a full field has no terminator
  const char* text = nullptr;
  size_t n = 0;
  ASSERT_EQ(qohlp_get_bytes(f.p, 2, &text, &n), QOHLP_OK);
  EXPECT_EQ(std::string(text, n), Line("Sub two", 10) + Line("a", 10) + Line("b", 10));
  EXPECT_EQ(qohlp_find_link(f.p, 30), 2);
}

struct CorruptRow {
  const char* name;
  std::function<void(std::string&)> mutate;
  int error;
};

void Put(std::string& f, std::size_t at, const std::string& bytes) { f.replace(at, bytes.size(), bytes); }

TEST(QohlpReader, RejectsInconsistentCurrentFiles) {
  // Offsets in FourHeadingFile: link entry k at 6k, TOC entry i at 30 + 60i.
  const CorruptRow rows[] = {
      {"shorter than a link entry", [](std::string& f) { f.resize(5); }, QOHLP_ERR_TRUNCATED},
      {"shorter than the tables", [](std::string& f) { f.resize(200); }, QOHLP_ERR_TRUNCATED},
      {"zeroed tables", [](std::string& f) { Put(f, 0, std::string(270, '\0')); }, QOHLP_ERR_NO_TABLES},
      {"link count disagrees", [](std::string& f) { Put(f, 0, Be16(4)); }, QOHLP_ERR_LINKS},
      {"line length 0", [](std::string& f) { Put(f, 4, Be16(0)); }, QOHLP_ERR_LINKS},
      {"text not whole lines", [](std::string& f) { f += "x"; }, QOHLP_ERR_TEXT},
      {"link names the wrong entry", [](std::string& f) { Put(f, 14, Be16(2)); }, QOHLP_ERR_LINKS},
      {"unknown type", [](std::string& f) { Put(f, 90, Be16(3)); }, QOHLP_ERR_TOC},
      {"subheading index backwards", [](std::string& f) { Put(f, 152, Be16(1)); }, QOHLP_ERR_TOC},
      {"subheading index past the table", [](std::string& f) { Put(f, 92, Be16(4)); }, QOHLP_ERR_TOC},
      {"subheading chain skips an entry", [](std::string& f) { Put(f, 32, Be16(2)); }, QOHLP_ERR_TOC},
      {"chain runs into a major heading", [](std::string& f) { Put(f, 152, Be16(3)); }, QOHLP_ERR_TOC},
      {"first heading is a subheading", [](std::string& f) { Put(f, 30, Be16(2)); }, QOHLP_ERR_TOC},
      {"section before the text", [](std::string& f) { Put(f, 94, Be32(100)); }, QOHLP_ERR_TEXT},
      {"section past the end", [](std::string& f) { Put(f, 218, Be32(2)); }, QOHLP_ERR_TEXT},
      {"huge length", [](std::string& f) { Put(f, 218, Be32(0xFFFFFFFF)); }, QOHLP_ERR_TEXT},
      {"section off a line start", [](std::string& f) { Put(f, 94, Be32(291)); }, QOHLP_ERR_TEXT},
      {"sections overlap", [](std::string& f) { Put(f, 38, Be32(3)); }, QOHLP_ERR_TEXT},
      {"last line belongs to no section", [](std::string& f) { f += Line("extra", 10); }, QOHLP_ERR_TEXT},
  };
  for (const CorruptRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bad = FourHeadingFile();
    row.mutate(bad);
    FilePtr f;
    std::string detail;
    EXPECT_EQ(Open(bad, QOHLP_CURRENT, f, &detail), row.error) << detail;
    EXPECT_EQ(f.p, nullptr);
  }
}

TEST(QohlpReader, ReadsLegacyByteRanges) {
  const std::string bytes = LegacyFile();
  ASSERT_EQ(bytes.size(), 78u);
  FilePtr f;
  ASSERT_EQ(Open(bytes, QOHLP_LEGACY, f), QOHLP_OK);
  qohlp_info info;
  ASSERT_EQ(qohlp_get_info(f.p, &info), QOHLP_OK);
  EXPECT_EQ(info.button_count, 1u);
  const char* text = nullptr;
  size_t n = 0;
  ASSERT_EQ(qohlp_get_bytes(f.p, 0, &text, &n), QOHLP_OK);
  EXPECT_EQ(std::string(text, n), "Hello\n");
  EXPECT_EQ(qohlp_get_line(f.p, 0, 0, &text, &n), QOHLP_ERR_ARGUMENT);
}

TEST(QohlpReader, LegacyRuleBreaksAreToleratedButBoundsAreNot) {
  const CorruptRow rows[] = {
      {"wrong button count", [](std::string& f) { Put(f, 4, Be16(3)); }, QOHLP_OK},
      {"unclosed heading (type 0)", [](std::string& f) { Put(f, 12, Be16(0)); }, QOHLP_OK},
      {"type 5", [](std::string& f) { Put(f, 12, Be16(5)); }, QOHLP_ERR_TOC},
      {"range past the end", [](std::string& f) { Put(f, 20, Be32(7)); }, QOHLP_ERR_TEXT},
      {"range inside the tables", [](std::string& f) { Put(f, 16, Be32(10)); }, QOHLP_ERR_TEXT},
  };
  for (const CorruptRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bytes = LegacyFile();
    row.mutate(bytes);
    FilePtr f;
    std::string detail;
    EXPECT_EQ(Open(bytes, QOHLP_LEGACY, f, &detail), row.error) << detail;
  }
}

TEST(QohlpReader, OpensFilesAndReportsMissingOnes) {
  TempDir dir;
  const auto path = dir.Write("help.bin", OneHeadingFile());
  FilePtr f;
  EXPECT_EQ(qohlp_open_file(path.c_str(), QOHLP_CURRENT, &f.p, nullptr, 0), QOHLP_OK);
  FilePtr none;
  EXPECT_EQ(qohlp_open_file((dir / "absent").c_str(), QOHLP_CURRENT, &none.p, nullptr, 0), QOHLP_ERR_IO);
  EXPECT_EQ(qohlp_open_file(path.c_str(), 7, &none.p, nullptr, 0), QOHLP_ERR_ARGUMENT);
}

}  // namespace
