// Real manual pages in Russian, Japanese and Chinese against the compilers:
// every sample line becomes one help section, the real compiler builds the
// help file, and the kit's reader reads it back. The lint must report a cut
// UTF-8 character for a section exactly as often as the section's text and
// button name hold a broken one, and nowhere else.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "lint_run.h"
#include "qokit/qohlp.h"
#include "run_program.h"
#include "temp_dir.h"

using namespace qokit::format;

namespace {

std::vector<std::string> SampleLines(const std::string& file) {
  const std::string bytes = ReadFileBytes(std::filesystem::path(QOKIT_SOURCE_DIR) / "tests/hlp/data/manpages" / file);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t lf = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, lf - start));
    start = lf == std::string::npos ? bytes.size() : lf + 1;
  }
  return lines;
}

// Runs of bytes that do not decode as UTF-8 (glibc's decoder, not the
// lint's): a cut character leaves one such run at a record's end or start.
int BrokenRuns(std::string_view bytes) {
  std::mbstate_t state{};
  int runs = 0;
  bool in_run = false;
  for (std::size_t at = 0; at < bytes.size();) {
    wchar_t wc;
    const std::size_t n = std::mbrtowc(&wc, bytes.data() + at, bytes.size() - at, &state);
    if (n == static_cast<std::size_t>(-2)) return runs + (in_run ? 0 : 1);  // ends inside a character
    if (n == static_cast<std::size_t>(-1)) {
      state = {};
      if (!in_run) ++runs;
      in_run = true;
      ++at;
      continue;
    }
    in_run = false;
    at += n == 0 ? 1 : n;
  }
  return runs;
}

// The longest start of `text` of at most `limit` bytes that ends between characters.
std::string PrefixOfChars(std::string_view text, std::size_t limit) {
  std::size_t n = std::min(limit, text.size());
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return std::string(text.substr(0, n));
}

std::string Trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? "" : line.substr(first);
}

// Names of 44 to 52 bytes, so that the 48-byte limit meets both whole and
// cut characters.
std::string ButtonName(const std::string& line, std::size_t i) { return PrefixOfChars(Trimmed(line), 44 + i % 9); }

// Cut-character reports per section: source lines 2i+1 (heading) and 2i+2
// (its text) belong to section i. `names` counts those about button names.
struct Reports {
  std::map<std::size_t, int> cuts;
  std::map<std::size_t, int> names;
  int total = 0;
};

Reports LintReports(const std::string& source, bool legacy, int line_length) {
  const std::string text = RunLint(source, legacy, line_length).text;
  Reports reports;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.find(": error: UTF-8 character") == std::string::npos) continue;
    const std::size_t source_line = std::strtoul(line.c_str() + line.find(':') + 1, nullptr, 10);
    const std::size_t section = (source_line - 1) / 2;
    ++reports.cuts[section];
    if (line.find("button name") != std::string::npos) ++reports.names[section];
    ++reports.total;
  }
  return reports;
}

// One section per sample line: the heading names it by a start of the line
// and, in the tagged syntax, has the trimmed line as its heading text.
std::string SampleSource(const std::vector<std::string>& lines, bool legacy) {
  std::string source;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    source.append("$H").append(n).append("%").append(n).append("%").append(ButtonName(lines[i], i));
    if (legacy)
      source.append("$H\n");
    else
      source.append("$-").append(Trimmed(lines[i])).append("\n");
    source.append(lines[i]).append("\n");
  }
  return source;
}

struct HelpFile {
  qohlp_file* file = nullptr;
  ~HelpFile() { qohlp_close(file); }
};

// Compiles in.hlp of `dir` with the real compiler and opens the result.
void Compile(const TempDir& dir, bool legacy, int line_length, HelpFile& help) {
  const RunResult run =
      legacy ? RunProgram(VEXPROC_LEGACY_PATH, {"in.hlp", "out.hlp"}, InDir(dir.path()))
             : RunProgram(VEXPROC_PATH, {"in.hlp", "out.hlp", std::to_string(line_length)}, InDir(dir.path()));
  ASSERT_NE(run.out.find(legacy ? "\nFinished...\n" : "\nFinished... 0 errors found.\n"), std::string::npos) << run.out;
  char detail[256] = "";
  ASSERT_EQ(qohlp_open_file((dir / "out.hlp").c_str(), legacy ? QOHLP_LEGACY : QOHLP_CURRENT, &help.file, detail,
                            sizeof detail),
            QOHLP_OK)
      << detail;
}

class ManPages : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr); }
  void TearDown() override { std::setlocale(LC_CTYPE, "C"); }
};

TEST_P(ManPages, CutCharactersReportedWhereTheHelpFileHoldsThem) {
  const std::vector<std::string> lines = SampleLines(GetParam());
  ASSERT_GE(lines.size(), 40u);
  const std::string source = SampleSource(lines, false);
  TempDir dir;
  dir.Write("in.hlp", source);
  for (const int line_length : {36, 57, 72, 100}) {
    SCOPED_TRACE("line length " + std::to_string(line_length));
    HelpFile help;
    ASSERT_NO_FATAL_FAILURE(Compile(dir, false, line_length, help));

    const Reports reports = LintReports(source, false, line_length);
    int broken_total = 0;
    int clean_sections = 0;
    for (unsigned i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE("sample line " + std::to_string(i + 1) + ": " + lines[i]);
      qohlp_section section;
      ASSERT_EQ(qohlp_get_section(help.file, i, &section), QOHLP_OK);
      const int broken_name = BrokenRuns(section.button);
      int broken = broken_name;
      for (unsigned k = 0; k < section.length; ++k) {
        const char* text = nullptr;
        std::size_t length = 0;
        ASSERT_EQ(qohlp_get_line(help.file, i, k, &text, &length), QOHLP_OK);
        broken += BrokenRuns(std::string_view(text, length));
      }
      EXPECT_EQ(reports.cuts.count(i) ? reports.cuts.at(i) : 0, broken);
      EXPECT_EQ(reports.names.count(i) ? reports.names.at(i) : 0, broken_name);
      broken_total += broken;
      if (broken == 0) ++clean_sections;
    }
    EXPECT_EQ(reports.total, broken_total);
    // The sample must exercise both sides: characters cut and lines left whole.
    EXPECT_GT(broken_total, 0);
    EXPECT_GT(clean_sections, 0);
  }
}

// The legacy compiler cuts only button names; its text stays whole.
TEST_P(ManPages, LegacyButtonNamesCutWhereReported) {
  const std::vector<std::string> lines = SampleLines(GetParam());
  const std::string source = SampleSource(lines, true);
  TempDir dir;
  dir.Write("in.hlp", source);
  HelpFile help;
  ASSERT_NO_FATAL_FAILURE(Compile(dir, true, 0, help));

  const Reports reports = LintReports(source, true, qokit::format::kDefaultLineSize);
  int broken_total = 0;
  for (unsigned i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE("sample line " + std::to_string(i + 1) + ": " + lines[i]);
    qohlp_section section;
    ASSERT_EQ(qohlp_get_section(help.file, i, &section), QOHLP_OK);
    const char* text = nullptr;
    std::size_t length = 0;
    ASSERT_EQ(qohlp_get_bytes(help.file, i, &text, &length), QOHLP_OK);
    EXPECT_EQ(BrokenRuns(std::string_view(text, length)), 0);
    const int broken = BrokenRuns(section.button);
    EXPECT_EQ(reports.names.count(i) ? reports.names.at(i) : 0, broken);
    broken_total += broken;
  }
  EXPECT_EQ(reports.total, broken_total);
  EXPECT_GT(broken_total, 0);
}

INSTANTIATE_TEST_SUITE_P(Debian, ManPages, ::testing::Values("ls.ru.txt", "ls.ja.txt", "ls.zh_CN.txt"),
                         [](const auto& param_info) {
                           const std::string name = param_info.param;  // ls.LANG.txt
                           return name.substr(3, name.size() - 7);
                         });

}  // namespace
