// Unit tests of the canonical records, the table writer and link-number parsing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "help_bytes.h"
#include "help_file.h"
#include "help_tables.h"
#include "qokit/nls/nlsstr.h"
#include "tagged_source.h"

using namespace qokit::format;
using namespace qokit::help;

namespace {

class HelpState : public ::testing::Test {
 protected:
  void SetUp() override {
    nlsInit();
    qokit::help::reset_help_state();
  }
  void TearDown() override { qokit::help::reset_help_state(); }
};

std::string ReadAll(FILE* f) {
  std::string out;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) out += static_cast<char>(c);
  return out;
}

TEST_F(HelpState, LinkEntryIsThreeBigEndianShorts) {
  const auto bytes = to_canonical(qokit::format::linkentry{0x0102, 0xFFFE, 72});
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Hex("01 02 FF FE 00 48"));
}

TEST_F(HelpState, TocEntryFieldsAndNamePadding) {
  struct Case {
    tocentry entry;
    std::string expected;
  };
  qokit::format::tocentry full{2, 3, 0x12345678u, 0x80000001u, {}};
  std::memset(full.butt_name, 'N', qokit::format::kButtonNameMax);  // no terminator in the field
  tocentry short_name{1, 0, 72, 3, {}};
  std::memcpy(short_name.butt_name, "Intro", 5);
  const Case cases[] = {
      {short_name, Hex("00 01 00 00 00 00 00 48 00 00 00 03") + "Intro" + std::string(43, '\0')},
      {full, Hex("00 02 00 03 12 34 56 78 80 00 00 01") + std::string(48, 'N')},
  };
  for (const auto& c : cases) {
    const auto bytes = to_canonical(c.entry);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected);
  }
}

TEST_F(HelpState, WriteStructNeverReadsPastTheTables) {
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  helpState.f2 = file;
  helpState.help_rec_cnt = 0;
  ASSERT_TRUE(qokit::help::alloc_tables());
  helpState.link_ptr[0].clntid = 9;  // claims more entries than exist
  helpState.link_ptr[0].tocndx = 9;
  qokit::help::write_struct();
  EXPECT_EQ(ReadAll(file), Hex("00 09 00 09 00 00"));
  std::fclose(file);
}

TEST_F(HelpState, ExtractNumReadsValueRestartAndErrors) {
  struct Case {
    const char* text;
    uint16_t value;
    std::size_t restart;  // offset of the next field from the start of text
    int errors;
    const char* message;  // expected part of the report, "" for none
  };
  const Case cases[] = {
      {"5%7%", 5, 2, 0, ""},
      {"%7%", 0, 1, 0, ""},  // an empty number reads as 0 without complaint
      {" +12%x", 12, 5, 0, ""},
      {"32767%", 32767, 6, 0, ""},
      {"32768%", 32768, 6, 1, "Line 3: Link number 32768 is outside the allowable range\n"},
      {"-1%", 65535, 3, 1, "Line 3: Link number -1 is outside the allowable range\n"},
      {"70000%", 70000 - 65536, 6, 1, "Link number 70000 is outside"},
      {"5x%", 5, 2, 1, "Line 3: Invalid format for header line: 5x%\n"},
      {"5\n", 5, 2, 1, "Invalid format for header line: 5\n\n"},
      {"5", 5, 1, 1, "Invalid format"},  // at the very end: the parse stops there
      {"", 0, 0, 1, "Invalid format"},
  };
  for (const auto& c : cases) {
    std::string buffer = c.text;
    helpState.errors = 0;
    helpState.file_line_num = 3;
    char* restart = nullptr;
    testing::internal::CaptureStdout();
    const uint16_t value = qokit::help::extract_num(buffer.data(), &restart);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(restart - buffer.data(), static_cast<std::ptrdiff_t>(c.restart)) << c.text;
    EXPECT_EQ(helpState.errors, c.errors) << c.text;
    EXPECT_NE(out.find(c.message), std::string::npos) << c.text << " printed " << out;
    EXPECT_NE(out.find("\n\nLink entry is -> "), std::string::npos);
  }
}

}  // namespace
