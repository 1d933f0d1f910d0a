// End-to-end runs of vexproc-legacy: byte-stream sections, the four heading
// kinds, wrap regions, link-number fields and the one-pass dialogue.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "help_bytes.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

RunResult RunLegacy(const TempDir& dir, const std::vector<std::string>& args, const std::string& input = "") {
  RunOptions options;
  options.input = input;
  options.workdir = dir.path();
  return RunProgram(VEXPROC_LEGACY_PATH, args, options);
}

const std::string kFinished = "\nFinished...\n";

struct Entry {
  uint32_t clntid, butndx, type, sndx, offset, length;
  std::string name;
  bool unused = false;  // counted, but no heading was read into it
};

// Checks link entry 0 and every heading's link and TOC entry.
void ExpectTables(const std::string& file, uint32_t buttons, const std::vector<Entry>& entries) {
  const auto n = static_cast<uint32_t>(entries.size());
  ASSERT_GE(file.size(), 6u * (n + 1) + 60u * n);
  EXPECT_EQ(Be16(file, 0), n + 1);
  EXPECT_EQ(Be16(file, 2), n);
  EXPECT_EQ(Be16(file, 4), buttons);
  for (uint32_t i = 0; i < n; ++i) {
    const Entry& e = entries[i];
    EXPECT_EQ(Be16(file, 6 * (i + 1)), e.clntid) << i;
    EXPECT_EQ(Be16(file, 6 * (i + 1) + 2), e.unused ? 0 : i) << i;
    EXPECT_EQ(Be16(file, 6 * (i + 1) + 4), e.butndx) << i;
    const std::size_t toc = TocAt(n, i);
    EXPECT_EQ(Be16(file, toc), e.type) << i;
    EXPECT_EQ(Be16(file, toc + 2), e.sndx) << i;
    EXPECT_EQ(Be32(file, toc + 4), e.offset) << i;
    EXPECT_EQ(Be32(file, toc + 8), e.length) << i;
    EXPECT_EQ(file.substr(toc + 12, 48), e.name + std::string(48 - e.name.size(), '\0')) << i;
  }
}

TEST(VexprocLegacy, SmallestFileByteForByte) {
  TempDir dir;
  dir.Write("l.txt", "$H1%2%Intro$HHello\n");
  const RunResult r = RunLegacy(dir, {"l.txt", "l.hlp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kFinished);
  EXPECT_EQ(r.err, "");
  const std::string expected = Hex("00 02 00 01 00 01") + Hex("00 01 00 00 00 02") +
                               Hex("00 01 00 00 00 00 00 48 00 00 00 06") + "Intro" + std::string(43, '\0') +
                               "Hello\n";
  ASSERT_EQ(expected.size(), 78u);
  EXPECT_EQ(dir.Read("l.hlp"), expected);
  EXPECT_EQ(dir.Read("struct.doc"),
            "\n\nOutput File Link Entries\n"
            "\n   0 clntid =   2 tocndx =   1 butndx =   1\n"
            "\n   1 clntid =   1 tocndx =   0 butndx =   2\n"
            "\n\nOutput File TOC Entries\n"
            "\n   0 type =  1 sndx =   0 off =     72 len =      6 butt = Intro\n");
}

TEST(VexprocLegacy, SectionsKindsAndChains) {
  struct Case {
    const char* name;
    std::string source;
    std::string text;  // expected bytes after the tables
    uint32_t buttons;
    std::vector<Entry> entries;  // offsets relative to the start of the text
  };
  const Case cases[] = {
      {"major then sub",
       "skipped text $x\n$H1%2%Top$H\nabc\n$S3%4%Sub$Sde\n",
       "\nabc\nde\n", 1,
       {{1, 2, 1, 1, 0, 5, "Top"}, {3, 4, 2, 0, 5, 3, "Sub"}}},
      {"four kinds",
       "$H1%2%A$Ha$S3%4%B$Sbb$T5%6%C$Tccc$E7%8%D$Ed$S9%10%F$Sf",
       "abbcccdf", 2,
       {{1, 2, 1, 1, 0, 1, "A"}, {3, 4, 2, 2, 1, 2, "B"}, {5, 6, 3, 0, 3, 3, "C"},
        {7, 8, 4, 4, 6, 1, "D"}, {9, 10, 2, 0, 7, 1, "F"}}},
      {"wrap region over three lines",
       "$H1%2%W$Hbefore\n$Wone\ntwo\nthree$W\nafter\n",
       "before\none two three\nafter\n", 1,
       {{1, 2, 1, 0, 0, 27, "W"}}},
      // The count does not know wrap regions: the "$H" inside one reserves an
      // entry that stays empty.
      {"dollar before other letters",
       "$H1%2%N$x$H$a $$ $W$H$W $",
       "$a $$ $H $", 1,
       {{1, 2, 1, 0, 0, 10, "N$x"}, {0, 0, 0, 0, 0, 0, "", true}}},
      // Five digits leave the "%" for the next field; a byte that is neither a
      // digit nor "%" ends the digits; a "$" ends the field and stays.
      {"link number fields",
       "$H12345%6%N$H$S99999$S$T1x2%3%M$T$E1%$E",
       "", 2,
       {{12345, 0, 1, 1, 0, 0, "6%N"}, {34463, 0, 2, 2, 0, 0, ""}, {1, 3, 3, 0, 0, 0, "M"},
        {1, 0, 4, 0, 0, 0, ""}}},
      {"49-byte name", "$H1%2%" + std::string(48, 'n') + "Z$Ht",
       "t", 1, {{1, 2, 1, 0, 0, 1, std::string(48, 'n')}}},
      {"heading never closed", "$H1%2%Name never closed\n",
       "", 0, {{1, 2, 0, 0, 0, 0, "Name never closed\n"}}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("in.txt", c.source);
    const RunResult r = RunLegacy(dir, {"in.txt", "out.hlp"});
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.out, kFinished) << c.name;
    const std::string file = dir.Read("out.hlp");
    std::vector<Entry> entries = c.entries;
    const auto n = static_cast<uint32_t>(entries.size());
    const uint32_t text_off = 6 * (n + 1) + 60 * n;
    for (Entry& e : entries)
      if (!e.unused) e.offset += text_off;
    SCOPED_TRACE(c.name);
    ExpectTables(file, c.buttons, entries);
    EXPECT_EQ(file.substr(std::min<std::size_t>(text_off, file.size())), c.text);
  }
}

TEST(VexprocLegacy, SourceWithoutMajorHeading) {
  TempDir dir;
  dir.Write("in.txt", "only $S1%2%Sub$S text\n");
  const RunResult r = RunLegacy(dir, {"in.txt", "out.hlp"});
  EXPECT_EQ(r.out, "\nNo \"$H\" heading in the source: no help text written.\n" + kFinished);
  // The counted heading keeps an empty entry; no text follows the tables.
  EXPECT_EQ(dir.Read("out.hlp"), Hex("00 02 00 01 00 00") + std::string(6 + 60, '\0'));
  EXPECT_TRUE(dir.Exists("struct.doc"));
}

TEST(VexprocLegacy, InputIsNeverOpenedForOutput) {
  TempDir dir;
  dir.Write("in.txt", "$H1%2%A$Hx");
  const RunResult r = RunLegacy(dir, {"in.txt", "./in.txt"});
  EXPECT_EQ(r.out, "\n\nFile \"./in.txt\" is the input file and can not be opened for output...");
  EXPECT_EQ(dir.Read("in.txt"), "$H1%2%A$Hx");
}

TEST(VexprocLegacy, ListingFileThatCannotBeOpened) {
  TempDir dir;
  dir.Write("in.txt", "$H1%2%A$Hx");
  std::filesystem::create_directory(dir / "struct.doc");
  const RunResult r = RunLegacy(dir, {"in.txt", "out.hlp"});
  EXPECT_EQ(r.out, "\n\nFile struct.doc can not be opened for output..." + kFinished);
  EXPECT_EQ(dir.Read("out.hlp").size(), 73u);
}

std::string LegacyBanner() {
  return "\n*** ------------------------ For the maker's internal use only --------------------- ***"
         "\n\n     This program was written to process a special tagged file provided"
         "\n       as input to generate an output file containing retrieval information"
         "\n       for the help of the older backup clients for DOS and Windows."
         "\n\n*** ------------------------------------------------------------------- ***";
}

TEST(VexprocLegacy, Dialogue) {
  const std::string ask_in = "\n\n\n\nEnter the source tag file name to be processed --> ";
  const std::string ask_out = "\n\nEnter the output text file name to be generated --> ";
  const std::string refusal = "\nSame as input file.. Please choose a different name --> ";
  const std::string summary = "\n\nYou selected source tag file  \"a.txt\"\nYou selected output text file \"b.hlp\""
                              "\n\nAre these correct?\nEnter (y/n) --> ";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string expected;
    bool compiled;
  };
  const std::string head = LegacyBanner() + ask_in + ask_out;
  const Case cases[] = {
      {"confirmed", {}, "a.txt\nb.hlp\ny\n", head + summary + kFinished, true},
      {"three refusals", {"a.txt"}, "a.txt\na.txt\na.txt\na.txt\nb.hlp\nY\n",
       head + refusal + refusal + refusal + summary + kFinished, true},
      {"fourth equal answer", {}, "a.txt\na.txt\na.txt\na.txt\na.txt\n",
       head + refusal + refusal + refusal + "\n I give up!  Exiting program...\n", false},
      {"not confirmed", {"a", "b", "c"}, "a.txt\nb.hlp\nn\n", head + summary + "\n Exiting program...\n", false},
      {"equal names on the command line", {"a.txt", "a.txt"}, "a.txt\nb.hlp\ny\n",
       "Input and output file id's are the same.  Reenter.\n" + head + summary + kFinished, true},
      {"end of input at a name", {}, "a.txt\n", head + "\n End of input.  Exiting program...\n", false},
      {"end of input at the confirmation", {}, "a.txt\nb.hlp\n",
       head + summary + "\n End of input.  Exiting program...\n", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string source = "$H1%2%A$Hx";
    dir.Write("a.txt", source);
    const RunResult r = RunLegacy(dir, c.args, c.input);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.out, c.expected) << c.name;
    EXPECT_EQ(dir.Exists("b.hlp"), c.compiled) << c.name;
    EXPECT_EQ(dir.Read("a.txt"), source) << c.name;  // the input is never overwritten
  }
}

TEST(VexprocLegacy, BundledLegacySourceCompiles) {
  TempDir dir;
  const std::string source =
      ReadFileBytes(std::filesystem::path(QOKIT_SOURCE_DIR) / "examples/help-legacy/client.tag");
  ASSERT_FALSE(source.empty());
  dir.Write("client.tag", source);
  const RunResult r = RunLegacy(dir, {"client.tag", "client.hlp"});
  EXPECT_EQ(r.out, kFinished);
  const std::string file = dir.Read("client.hlp");
  const uint32_t n = Be16(file, 2);
  ASSERT_GT(n, 10u);
  const uint32_t text_off = 6 * (n + 1) + 60 * n;
  uint32_t offset = text_off;
  for (uint32_t i = 0; i < n; ++i) {
    const std::size_t toc = TocAt(n, i);
    EXPECT_GE(Be16(file, toc), 1u) << i;  // every heading was closed
    EXPECT_EQ(Be32(file, toc + 4), offset) << i;
    offset += Be32(file, toc + 8);
  }
  EXPECT_EQ(file.size(), offset);
  EXPECT_EQ(file.find("$W"), std::string::npos);
}

}  // namespace
