// End-to-end runs of vexproc from the command line: help file bytes, the
// listing, and every reported source error.
#include <gtest/gtest.h>

#include <string>

#include "help_bytes.h"
#include "vexproc_run.h"

namespace {

std::string Pad(const std::string& text, std::size_t width) { return text + std::string(width - text.size(), ' '); }

TEST(VexprocCli, SmallestFileByteForByte) {
  TempDir dir;
  dir.Write("a.txt", "$H5%7%Intro$-Introduction\nline two\nline three\n");
  const RunResult r = RunVexproc(dir, {"a.txt", "a.hlp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string expected = Hex("00 02 00 01 00 48") + Hex("00 05 00 00 00 07") +
                               Hex("00 01 00 00 00 00 00 48 00 00 00 03") + "Intro" + std::string(43, '\0') +
                               Pad("Introduction", 72) + Pad("line two", 72) + Pad("line three", 72);
  ASSERT_EQ(expected.size(), 288u);
  EXPECT_EQ(dir.Read("a.hlp"), expected);

  const std::string links =
      "\n\nOutput File Link Entries\n"
      "\n   0 clntid =   2 tocndx =   1 butndx = %\n"
      "\n   1 clntid =   5 tocndx =   0 butndx = $\n";
  const std::string tocs =
      "\n\nOutput File TOC Entries\n"
      "\n   0 type =  1 sndx =   0 off =     72 len =      3 butt = Intro\n";
  auto listing = [&](const char* w72, const char* w7) {
    std::string l = links;
    l.replace(l.find('%'), 1, w72);
    l.replace(l.find('$'), 1, w7);
    return l + tocs;
  };
  EXPECT_EQ(r.out,
            "\n\nText Offset Length = 72\n"
            "\n\nLink entry is -> 5 <-...\n\nLink entry is -> 7 <-...\n\nProcessing Header Tag ->" +
                listing("72", "7") + Finished(0));
  // The stored listing differs only in the width of the last link field.
  EXPECT_EQ(dir.Read("struct.doc"), listing(" 72", "  7"));
}

TEST(VexprocCli, MajorHeadingsAndSubheadingsFieldByField) {
  TempDir dir;
  dir.Write("h.txt",
            "Preamble that is not stored\n"
            "$H1%2%Start$-Getting started\n"
            "text a\n"
            "$S3%4%Install$-Installing\n"
            "text b\n"
            "text c\n"
            "$S5%6%Config$-Configuring\n"
            "$H7%8%Backup$-Backing up\n"
            "$H9%10%Restore$-Restoring\n"
            "text d\n");
  const RunResult r = RunVexproc(dir, {"h.txt", "h.hlp", "20"});
  EXPECT_EQ(r.status, 0);
  ASSERT_NE(r.out.find(Finished(0)), std::string::npos) << r.out;
  const std::string file = dir.Read("h.hlp");
  constexpr uint32_t n = 5;
  const uint32_t text_off = 6 * 6 + 60 * 5;
  ASSERT_EQ(file.size(), text_off + 9 * 20);
  EXPECT_EQ(Be16(file, 0), n + 1);
  EXPECT_EQ(Be16(file, 2), n);
  EXPECT_EQ(Be16(file, 4), 20u);
  struct Expected {
    uint32_t clntid, butndx, type, sndx, line, length;
    std::string name;
  };
  // `line` counts text records from the first "$H" line (0-based).
  const Expected rows[] = {
      {1, 2, 1, 1, 0, 2, "Start"},  {3, 4, 2, 2, 2, 3, "Install"}, {5, 6, 2, 0, 5, 1, "Config"},
      {7, 8, 1, 0, 6, 1, "Backup"}, {9, 10, 1, 0, 7, 2, "Restore"},
  };
  for (uint32_t i = 0; i < n; ++i) {
    const Expected& e = rows[i];
    const std::size_t link = 6 * (i + 1);
    EXPECT_EQ(Be16(file, link), e.clntid) << i;
    EXPECT_EQ(Be16(file, link + 2), i) << i;
    EXPECT_EQ(Be16(file, link + 4), e.butndx) << i;
    const std::size_t toc = TocAt(n, i);
    EXPECT_EQ(Be16(file, toc), e.type) << i;
    EXPECT_EQ(Be16(file, toc + 2), e.sndx) << i;
    EXPECT_EQ(Be32(file, toc + 4), text_off + e.line * 20) << i;
    EXPECT_EQ(Be32(file, toc + 8), e.length) << i;
    EXPECT_EQ(file.substr(toc + 12, 48), e.name + std::string(48 - e.name.size(), '\0')) << i;
  }
  EXPECT_EQ(file.substr(text_off, 40), Pad("Getting started", 20) + Pad("text a", 20));
  EXPECT_EQ(file.substr(text_off + 7 * 20, 20), Pad("Restoring", 20));
}

// Runs with source errors: the text records are written, the tables stay
// zero, no listing is written, and the count of errors closes the run.
TEST(VexprocCli, SourceErrorsAreCountedAndSuppressTheTables) {
  struct Case {
    const char* name;
    std::string source;
    uint32_t headings;  // "$H"/"$S" lines, also those before the first "$H"
    uint32_t records;   // lines from the first "$H" on
    int errors;
    std::string message;
  };
  const Case cases[] = {
      {"subhead first", "$S1%2%A$-a\nplain\n$X\n$H1%2%B$-b\n", 2, 1, 2,
       "Check input: subhead appears before major head\nat line 1\n"
       "Processing will continue at first major heading.\n"},
      {"link too big", "$H32768%1%A$-a\n", 1, 1, 1, "Line 1: Link number 32768 is outside the allowable range\n"},
      {"link negative", "x\n$H1%-1%A$-a\n", 1, 1, 1, "Line 2: Link number -1 is outside the allowable range\n"},
      {"missing percent", "$H1%2x%A$-a\n", 1, 1, 1, "Line 1: Invalid format for header line: 2x%A$-a\n\n"},
      {"missing end of name", "$H1%2%A a\n", 1, 1, 1, "Line 1: Invalid header line:\n$H1%2%A a\n\n"},
      {"number at end of file", "$H1%2%A$-a\n$S5", 2, 2, 3, "Line 2: Invalid format for header line: 5\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("in.txt", c.source);
    const RunResult r = RunVexproc(dir, {"in.txt", "out.hlp", "10"});
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << ":\n" << r.out;
    EXPECT_TRUE(r.out.ends_with(Finished(c.errors))) << c.name << ":\n" << r.out;
    EXPECT_EQ(r.out.find("Output File Link Entries"), std::string::npos) << c.name;
    EXPECT_FALSE(dir.Exists("struct.doc")) << c.name;
    const std::string file = dir.Read("out.hlp");
    const std::size_t tables = 6 * (c.headings + 1) + 60 * c.headings;
    ASSERT_EQ(file.size(), tables + 10 * c.records) << c.name;
    EXPECT_EQ(file.substr(0, tables), std::string(tables, '\0')) << c.name;
  }
}

TEST(VexprocCli, SourceWithoutMajorHeadingWritesNothing) {
  TempDir dir;
  dir.Write("in.txt", "plain text\n$S1%2%A$-a\nmore\n");
  const RunResult r = RunVexproc(dir, {"in.txt", "out.hlp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Check input: no major heading (\"$H\" line) in the source.\n"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with(Finished(2))) << r.out;
  EXPECT_TRUE(dir.Exists("out.hlp"));
  EXPECT_EQ(dir.Read("out.hlp"), "");
  EXPECT_FALSE(dir.Exists("struct.doc"));
}

}  // namespace
