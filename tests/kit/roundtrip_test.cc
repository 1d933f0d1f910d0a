// The readers and dump tools against the real compilers: catalogues compiled
// by qogenmsg format as their sources say and survive a dump and recompile
// byte for byte; help files compiled by vexproc read back line for line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "message_source.h"
#include "printf_oracle.h"
#include "qokit/qohlp.h"
#include "qokit/qomsg.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

using kittest::ExpectedFormatting;
using kittest::ParseMessageSource;
using kittest::SourceEntry;

std::string Describe(const RunResult& r) { return "status " + std::to_string(r.status) + "\n" + r.out + r.err; }

// The compile date is the one part of an object file that differs per run.
std::string WithoutDate(std::string bytes) {
  if (bytes.size() >= 64) bytes.replace(32, 32, std::string(32, '\0'));
  return bytes;
}

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

// Compiles `sources` (names inside `dir`), checks every message's formatting
// against its source text, then dumps the catalogue, recompiles the dump with
// the same symbol file and compares the object files.
void CheckCatalogue(const TempDir& dir, const std::vector<std::string>& sources) {
  std::vector<std::string> gensym = {"regensym", "msgs.h"};
  gensym.insert(gensym.end(), sources.begin(), sources.end());
  const RunOptions in_dir{"", dir.path(), 600, {"LC_ALL=C"}};
  RunResult r = RunProgram(QOGENMSG_PATH, gensym, in_dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  std::vector<std::string> genobj = {"genobj", "msgs.h", "msgs.obj"};
  genobj.insert(genobj.end(), sources.begin(), sources.end());
  r = RunProgram(QOGENMSG_PATH, genobj, in_dir);
  ASSERT_EQ(r.status, 0) << Describe(r);

  std::string all_sources;
  for (const std::string& s : sources) all_sources += dir.Read(s);
  const std::vector<SourceEntry> entries = ParseMessageSource(all_sources);
  CatalogPtr cat;
  char detail[256];
  ASSERT_EQ(qomsg_open_file((dir / "msgs.obj").c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;
  long checked = 0;
  std::vector<char> buf(4096);
  for (const SourceEntry& e : entries) {
    if (e.number == 0) continue;
    SCOPED_TRACE("message " + std::to_string(e.number) + ": " + e.text);
    const kittest::Expectation want = ExpectedFormatting(e.text);
    const int n = qomsg_format_args(cat.p, e.number, buf.data(), buf.size(), want.args.data(), want.args.size());
    ASSERT_EQ(n, static_cast<int>(want.text.size()));
    ASSERT_EQ(std::string(buf.data()), want.text);
    // The same through the variadic call, which reads its arguments as printf does.
    std::string through_varargs;
    ASSERT_EQ(oracle::VariadicFormat(cat.p, e.number, want.args, through_varargs), n);
    ASSERT_EQ(through_varargs, want.text);
    qomsg_message m;
    ASSERT_EQ(qomsg_lookup(cat.p, e.number, &m), QOMSG_OK);
    ASSERT_EQ(m.response, e.response);
    ++checked;
  }
  qomsg_info info;
  ASSERT_EQ(qomsg_get_info(cat.p, &info), QOMSG_OK);
  EXPECT_EQ(checked, info.msg_count);

  r = RunProgram(QOMSGDUMP_PATH, {"-s", "msgs.h", "msgs.obj"}, in_dir);
  ASSERT_EQ(r.status, 0) << r.err;
  dir.Write("dump.msg", r.out);
  r = RunProgram(QOGENMSG_PATH, {"genobj", "msgs.h", "again.obj", "dump.msg"}, in_dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_TRUE(WithoutDate(dir.Read("msgs.obj")) == WithoutDate(dir.Read("again.obj")))
      << "the recompiled dump differs from the original object file";
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(QOKIT_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(RoundTrip, ExampleCatalogues) {
  TempDir dir;
  dir.Write("client.msg", ReadSource("examples/messages/client.msg"));
  dir.Write("admin.msg", ReadSource("examples/messages/admin.msg"));
  dir.Write("demo.msg", ReadSource("examples/kit/demo.msg"));
  CheckCatalogue(dir, {"client.msg", "admin.msg"});
  TempDir demo;
  demo.Write("demo.msg", ReadSource("examples/kit/demo.msg"));
  CheckCatalogue(demo, {"demo.msg"});
}

// 49,999 messages with inserts of every type in and out of order, star
// counts, responses, escapes, literal percent signs and multi-block texts.
std::string GeneratedSource() {
  static const char* const kConversions[] = {"%d",    "%5d", "%-8s",  "%ld",  "%lx",  "%.3f",
                                             "%*d",   "%-*.*s", "%c", "%08.2e", "%u", "%o",
                                             "%hd",   "%G",  "%lu",   "%X",   "%i",   "%p", "%+.1E", "%#lo"};
  static const char kSeverities[] = "ZTRKIWESL";
  std::string src = "/* generated */\n0 I NUMBERFORMAT \"6\"\n";
  for (long n = 1; n <= 49999; ++n) {
    const int count = static_cast<int>(n % 6);
    const bool reversed = n % 3 == 0;
    std::string text = "Msg " + std::to_string(n);
    if (n % 7 == 0) text += " 100%% \\\"q\\\" \\\\ tab\\t";
    if (n % 499 == 0) text += std::string(700, 'L');
    for (int k = 0; k < count; ++k) {
      const int arg = reversed ? count - k : k + 1;
      text += " <@" + std::to_string(arg) + kConversions[(n * 7 + k * 3) % 20] + ">";
    }
    if (n % 11 == 0) text += "\\n";
    char head[96];
    std::snprintf(head, sizeof head, "%ld %c GEN_%05ld ", n, kSeverities[n % 9], n);
    src += head;
    if (n % 5 == 0) src += "[r" + std::to_string(n % 1000) + "] ";
    src += "\"" + text + "\"\n";
  }
  return src;
}

TEST(RoundTrip, GeneratedCatalogueOf49999Messages) {
  TempDir dir;
  dir.Write("gen.msg", GeneratedSource());
  CheckCatalogue(dir, {"gen.msg"});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

TEST(RoundTrip, HelpFileReadsBackLineForLine) {
  TempDir dir;
  const std::string source = ReadSource("examples/help/client.txt");
  dir.Write("client.txt", source);
  const RunResult r = RunProgram(VEXPROC_PATH, {"client.txt", "client.hlp", "60"},
                                 RunOptions{"", dir.path(), 60, {"LC_ALL=C"}});
  ASSERT_NE(r.out.find("Finished... 0 errors found."), std::string::npos) << r.out;

  // Expected: from the first $H line on, each heading line shows its text
  // after "$-", every other line itself, cut to the line length.
  std::vector<std::string> expected;
  std::vector<std::string> buttons;
  bool started = false;
  for (std::string line : Lines(source)) {
    const bool heading = line.rfind("$H", 0) == 0 || line.rfind("$S", 0) == 0;
    started = started || line.rfind("$H", 0) == 0;
    if (!started) continue;
    if (heading) {
      const std::size_t name_start = line.find('%', line.find('%') + 1) + 1;
      const std::size_t end = line.find("$-");
      buttons.push_back(line.substr(name_start, end - name_start));
      line = line.substr(end + 2);
    }
    line = line.substr(0, 60);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    expected.push_back(line);
  }
  qohlp_file* help = nullptr;
  char detail[256];
  ASSERT_EQ(qohlp_open_file((dir / "client.hlp").c_str(), QOHLP_CURRENT, &help, detail, sizeof detail),
            QOHLP_OK)
      << detail;
  qohlp_info info;
  qohlp_get_info(help, &info);
  ASSERT_EQ(info.section_count, buttons.size());
  std::vector<std::string> read_back;
  for (unsigned i = 0; i < info.section_count; ++i) {
    qohlp_section s;
    ASSERT_EQ(qohlp_get_section(help, i, &s), QOHLP_OK);
    EXPECT_EQ(s.button, buttons[i]);
    for (unsigned k = 0; k < s.length; ++k) {
      const char* text = nullptr;
      size_t n = 0;
      ASSERT_EQ(qohlp_get_line(help, i, k, &text, &n), QOHLP_OK);
      read_back.emplace_back(text, n);
    }
  }
  qohlp_close(help);
  EXPECT_EQ(read_back, expected);
  const RunResult dump = RunProgram(VEXDUMP_PATH, {"client.hlp"}, RunOptions{"", dir.path(), 60, {}});
  EXPECT_EQ(dump.status, 0) << dump.err;
}

TEST(RoundTrip, LegacyHelpFileIsConsistent) {
  TempDir dir;
  dir.Write("client.tag", ReadSource("examples/help-legacy/client.tag"));
  const RunResult r = RunProgram(VEXPROC_LEGACY_PATH, {"client.tag", "client.hlp"},
                                 RunOptions{"", dir.path(), 60, {"LC_ALL=C"}});
  ASSERT_EQ(r.status, 0) << Describe(r);
  qohlp_file* help = nullptr;
  char detail[256];
  ASSERT_EQ(qohlp_open_file((dir / "client.hlp").c_str(), QOHLP_LEGACY, &help, detail, sizeof detail),
            QOHLP_OK)
      << detail;
  qohlp_info info;
  qohlp_get_info(help, &info);
  unsigned long covered = 0;
  for (unsigned i = 0; i < info.section_count; ++i) {
    const char* text = nullptr;
    size_t n = 0;
    ASSERT_EQ(qohlp_get_bytes(help, i, &text, &n), QOHLP_OK);
    covered += n;
  }
  qohlp_close(help);
  EXPECT_GT(info.section_count, 0u);
  EXPECT_EQ(covered, info.file_size - info.text_offset);
  const RunResult dump = RunProgram(VEXDUMP_PATH, {"--legacy", "client.hlp"}, RunOptions{"", dir.path(), 60, {}});
  EXPECT_EQ(dump.status, 0) << dump.err;
}

}  // namespace
