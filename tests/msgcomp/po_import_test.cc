// The import without base sources, where the facts comment, the msgctxt and
// the msgid say everything: what it writes must read back through the
// compiler's parser as the entries the PO file holds, and what the source
// syntax cannot express is refused rather than written.
#include "po_import.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// Import against base sources: which entry gives each message its text, and
// what is refused (an error, or with keep_going a warning and the base text).
TEST(PoImport, WithBaseFindsRefusesAndKeepsGoing) {
  nlsInit();
  const std::string base =
      "0 I DATEFORMAT \"2\"\n"
      "1 I FILES \"@1%d files in @2%s\"\n"
      "2 E SAME_A \"Same text\"\n"
      "3 E SAME_B \"Same text\"\n";
  const std::string header = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
  struct Row {
    std::string po;
    bool keep_going;
    int result;
    std::string diagnostics;  // expected on standard error, the summary left out
    std::string written;      // expected in the source, when written
  };
  const Row rows[] = {
      // A gettext project's entries: found by msgid, the shared one used twice.
      {header + "msgid \"%d files in %s\"\nmsgstr \"%d Dateien in %s\"\n\n"
                "msgid \"Same text\"\nmsgstr \"Gleicher Text\"\n\nmsgid \"Gone\"\nmsgstr \"Weg\"\n",
       false, 0,
       "in.po:7: warning: the msgid is the text of 2 messages of the base (SAME_A, SAME_B); its translation is used "
       "for each\n"
       "in.po:10: warning: no message of the base sources has this msgid as its text; the entry is dropped\n",
       "3 E SAME_B \"Gleicher Text\""},
      // msgctxt before msgid; a second entry for one msgid is ignored.
      {header + "msgctxt \"SAME_B\"\nmsgid \"Same text\"\nmsgstr \"B\"\n\nmsgid \"Same text\"\nmsgstr \"A\"\n\n"
                "msgid \"Same text\"\nmsgstr \"C\"\n",
       false, 0, "in.po:11: warning: a second entry for this msgid (first at line 8) is ignored\n",
       "2 E SAME_A \"A\"\n3 E SAME_B \"B\""},
      {header + "msgctxt \"DATEFORMAT\"\nmsgid \"2\"\nmsgstr \"9\"\n", false, 1,
       "in.po:6: error: DATEFORMAT: the date format code must be a number from 1 to 5\n", ""},
      {header + "msgctxt \"DATEFORMAT\"\nmsgid \"2\"\nmsgstr \"9\"\n", true, 0,
       "in.po:6: warning: DATEFORMAT: the date format code must be a number from 1 to 5; the base value is used\n",
       "0 I DATEFORMAT \"2\""},
      {header + "msgid \"%d files in %s\"\nmsgstr \"%s Dateien\"\n", true, 0,
       "in.po:5: warning: FILES: the translation does not fit the original: conversion 1: argument 1 has another "
       "type than in the original; the base text is used\n",
       "1 I FILES \"@1%d files in @2%s\""},
  };
  TempDir dir;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());  // so that the diagnostics name in.po
  const std::string source = dir.Write("base.msg", base).string();
  const char* const names[] = {source.c_str()};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.po);
    dir.Write("in.po", row.po);
    qokit::po::ImportOptions options;
    options.keep_going = row.keep_going;
    std::string out;
    testing::internal::CaptureStderr();
    const int result = qokit::po::ImportPo("in.po", names, options, out);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(errors.substr(0, errors.find("qomsgpo: ")), row.diagnostics);
    if (result == 0) {
      EXPECT_NE(out.find(row.written), std::string::npos) << out;
      EXPECT_NE(errors.find(row.keep_going ? " 1 refused, " : " 0 refused, "), std::string::npos) << errors;
    }
  }
  std::filesystem::current_path(previous);
}
