// The import without base sources, where the facts comment, the msgctxt and
// the msgid say everything: what it writes must read back through the
// compiler's parser as the entries the PO file holds, and what the source
// syntax cannot express is refused rather than written.
#include "po_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qokit/nls/nlsstr.h"
#include "source_entries.h"
#include "temp_dir.h"

using namespace qokit::msgcomp;

namespace {

std::string Entry(const std::string& facts, const std::string& context, const std::string& msgid) {
  return std::string("#. qomsg: number ").append(facts).append("\nmsgctxt \"").append(context)
      .append("\"\nmsgid \"").append(msgid).append("\"\nmsgstr \"\"\n");
}

TEST(PoImport, AloneWritesOnlyWhatTheParserReadsBack) {
  nlsInit();
  struct Row {
    std::string facts, context, msgid;
    bool written;
  };
  const std::string long_symbol(51, 'S');
  const std::string long_text(1025, 'x');
  const Row rows[] = {
      {"1, severity E", "OK_1", "%1$s done", true},
      {"2, severity W, response \"yes\"", "S", "plain", true},
      {"0, severity I", "DATEFORMAT", "2", true},
      {"3, severity E", std::string(50, 'L'), "x", true},
      {"1, severity E", "", "x", false},
      {"1, severity E", "A\\000B", "x", false},
      {"1, severity E", "TWO WORDS", "x", false},
      {"1, severity E", "9LIVES", "x", false},
      {"1, severity E", "A-B", "x", false},
      {"1, severity E", long_symbol, "x", false},
      {"1, severity E, response \"12345678\"", "A", "x", false},
      {"1, severity E, response \"a\\000\"", "A", "x", false},
      {"1, severity E, response \"a]\"", "A", "x", false},
      {"1, severity E", "A", long_text, false},
      {"0, severity I", "META", "a\\000b", false},
  };
  TempDir dir;
  for (const Row& row : rows) {
    const std::string text = Entry(row.facts, row.context, row.msgid);
    SCOPED_TRACE(text);
    const std::string po = dir.Write("in.po", text).string();
    std::string out;
    testing::internal::CaptureStderr();
    const int result = qokit::po::ImportPo(po.c_str(), {}, {}, out);
    const std::string errors = testing::internal::GetCapturedStderr();
    if (!row.written) {
      EXPECT_EQ(result, 1);
      EXPECT_NE(errors.find("error:"), std::string::npos) << errors;
      continue;
    }
    ASSERT_EQ(result, 0) << errors;
    const std::string source = dir.Write("out.msg", out).string();
    const char* const names[] = {source.c_str()};
    std::vector<qokit::msgcomp::SourceEntry> entries;
    testing::internal::CaptureStderr();
    const int read = qokit::msgcomp::ReadSourceEntries(names, entries);
    const std::string syntax = testing::internal::GetCapturedStderr();
    EXPECT_EQ(read, 0) << syntax << out;
    ASSERT_EQ(entries.size(), 1u) << out;
    EXPECT_EQ(entries[0].symbol, row.context);
  }
}

}  // namespace
