// End-to-end runs of vexproc at its limits: line splitting, button-name
// length, line length, heading count, and files that cannot be used.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "help_bytes.h"
#include "vexproc_run.h"

namespace {

TEST(VexprocLimits, LongLinesSplitAndCarriageReturnsStay) {
  TempDir dir;
  // Line length 5: reads of at most 9 bytes. The heading line splits after
  // "$-"; the third source line splits so that its second piece begins with a
  // tag and is a subheading of its own.
  dir.Write("s.txt",
            "$H1%2%A$-xy\n"
            "0123456789abcdefghij\n"
            "123456789$S3%4%B$-\n"
            "a\r\n");
  const RunResult r = RunVexproc(dir, {"s.txt", "s.hlp", "5"});
  EXPECT_TRUE(r.out.ends_with(Finished(0))) << r.out;
  const std::string file = dir.Read("s.hlp");
  const std::size_t off = 6 * 3 + 60 * 2;
  const std::string records =
      "     "   // the heading piece holds no heading text
      "xy   "   // the rest of the heading line is text
      "01234"   // first 9 bytes, cut to 5
      "9abcd"   // next 9 bytes
      "ij   "   // the rest of the line
      "12345"   // "123456789"
      "     "   // the subheading piece holds only its (empty) heading text
      "     "   // the line feed that remained
      "a\r   ";  // the carriage return is text
  ASSERT_EQ(file.size(), off + records.size());
  EXPECT_EQ(file.substr(off), records);
  EXPECT_EQ(Be16(file, TocAt(2, 0) + 2), 1u);   // sndx of "$H" points at the subheading
  EXPECT_EQ(Be32(file, TocAt(2, 0) + 8), 6u);   // six records before it
  EXPECT_EQ(Be32(file, TocAt(2, 1) + 4), off + 30);
  EXPECT_EQ(Be32(file, TocAt(2, 1) + 8), 3u);
}

TEST(VexprocLimits, ButtonNamesOf48And49Bytes) {
  struct Case {
    std::size_t length;
    bool warned;
  };
  for (const Case c : {Case{48, false}, Case{49, true}}) {
    TempDir dir;
    const std::string name(c.length - 1, 'n');
    const std::string full = name + "Z";
    dir.Write("b.txt", "$H1%2%" + full + "$-head\n");
    const RunResult r = RunVexproc(dir, {"b.txt", "b.hlp"});
    const std::string warning = "Line 1: Button name exceeds max: " + full + "\n";
    EXPECT_EQ(r.out.find(warning) != std::string::npos, c.warned) << r.out;
    EXPECT_TRUE(r.out.ends_with(Finished(0))) << r.out;
    const std::string file = dir.Read("b.hlp");
    // 48 bytes kept and no terminator: the record text follows at once.
    EXPECT_EQ(file.substr(TocAt(1, 0) + 12, 48), full.substr(0, 48));
    EXPECT_EQ(file.substr(72, 4), "head");
    EXPECT_NE(dir.Read("struct.doc").find("butt = " + full.substr(0, 48) + "\n"), std::string::npos);
  }
}

TEST(VexprocLimits, CommandLineLineLength) {
  struct Case {
    const char* arg;
    bool accepted;
    std::string message;
  };
  const Case cases[] = {
      {"80", true, ""},
      {"65535", true, ""},
      {"abc", false, "Line length 0 is not usable; it must be from 1 to 65535.\n"},
      {"0", false, "Line length 0 is not usable; it must be from 1 to 65535.\n"},
      {"-3", false, "Line length -3 is not usable; it must be from 1 to 65535.\n"},
      {"65536", false, "Line length 65536 is not usable; it must be from 1 to 65535.\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("a.txt", "$H1%2%A$-abc\n");
    const RunResult r = RunVexproc(dir, {"a.txt", "a.hlp", c.arg});
    EXPECT_EQ(r.status, 0) << c.arg;
    if (!c.accepted) {
      EXPECT_EQ(r.out, c.message) << c.arg;
      EXPECT_FALSE(dir.Exists("a.hlp")) << c.arg;
      continue;
    }
    const std::string file = dir.Read("a.hlp");
    const unsigned long width = std::stoul(c.arg);
    ASSERT_EQ(file.size(), 72 + width) << c.arg;
    EXPECT_EQ(Be16(file, 4), width) << c.arg;
    EXPECT_EQ(file.substr(72, 3), "abc");
  }
}

TEST(VexprocLimits, HeadingCountUpToTheSignedShortLimit) {
  for (const long headings : {32767L, 32768L}) {
    TempDir dir;
    std::string source;
    for (long i = 0; i < headings; ++i) source += "$H1%2%A$-\n";
    dir.Write("many.txt", source);
    const RunResult r = RunVexproc(dir, {"many.txt", "many.hlp", "10"});
    EXPECT_EQ(r.status, 0);
    const std::string file = dir.Read("many.hlp");
    if (headings == 32767) {
      EXPECT_TRUE(r.out.ends_with(Finished(0)));
      ASSERT_EQ(file.size(), 6u * 32768 + 60u * 32767 + 32767 * 10);
      EXPECT_EQ(Be16(file, 0), 32768u);
      EXPECT_EQ(Be16(file, 2), 32767u);
    } else {
      EXPECT_EQ(r.out, "Too many heading lines: 32768 found, at most 32767 allowed.\n" + Finished(1));
      EXPECT_EQ(file, "");
    }
  }
}

TEST(VexprocLimits, FilesThatCannotBeUsed) {
  TempDir dir;
  dir.Write("a.txt", "$H1%2%A$-abc\n");
  RunResult r = RunVexproc(dir, {"missing.txt", "out.hlp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n\nFile \"missing.txt\" can not be opened for input...");
  EXPECT_FALSE(dir.Exists("out.hlp"));

  // The input under another name, and a name too long for the name buffer.
  r = RunVexproc(dir, {"a.txt", "./a.txt"});
  EXPECT_EQ(r.out, "\n\nFile \"./a.txt\" is the input file and can not be opened for output...");
  EXPECT_EQ(dir.Read("a.txt"), "$H1%2%A$-abc\n");
  const std::string long_name(1024, 'n');
  r = RunVexproc(dir, {long_name, "out.hlp"});
  EXPECT_EQ(r.out, "File name longer than 1023 characters: " + long_name.substr(0, 40) + "...\n");
  EXPECT_FALSE(dir.Exists("out.hlp"));

  r = RunVexproc(dir, {"a.txt", "no/such/dir.hlp"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n\nFile \"no/such/dir.hlp\" can not be opened for output...");

  // struct.doc cannot be created: one error, but the tables are written.
  std::filesystem::create_directory(dir / "struct.doc");
  r = RunVexproc(dir, {"a.txt", "t.hlp"});
  EXPECT_NE(r.out.find("\n\nFile struct.doc can not be opened for output...\n"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with(Finished(1))) << r.out;
  EXPECT_EQ(dir.Read("t.hlp").substr(0, 6), Hex("00 02 00 01 00 48"));
}

TEST(VexprocLimits, FailedWritesToTheHelpFileAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  dir.Write("a.txt", "$H1%2%A$-abc\n");
  const RunResult r = RunVexproc(dir, {"a.txt", "/dev/full"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\n\nFile \"/dev/full\" could not be written completely: No space left on device\n"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(r.out.ends_with(Finished(1))) << r.out;
}

TEST(VexprocLimits, SecondRunOverwritesTheListing) {
  TempDir dir;
  dir.Write("struct.doc", std::string(5000, '#'));
  dir.Write("a.txt", "$H1%2%A$-abc\n");
  RunVexproc(dir, {"a.txt", "a.hlp"});
  const std::string listing = dir.Read("struct.doc");
  EXPECT_TRUE(listing.starts_with("\n\nOutput File Link Entries\n"));
  EXPECT_EQ(listing.find('#'), std::string::npos);
}

}  // namespace

namespace {

// The bundled example compiles cleanly, and every sndx chain runs from a
// major heading through its subheadings only.
TEST(VexprocExample, BundledHelpSourceCompiles) {
  TempDir dir;
  dir.Write("client.txt", ReadFileBytes(std::filesystem::path(QOKIT_SOURCE_DIR) / "examples/help/client.txt"));
  const RunResult r = RunVexproc(dir, {"client.txt", "client.hlp"});
  ASSERT_TRUE(r.out.ends_with(Finished(0))) << r.out;
  const std::string file = dir.Read("client.hlp");
  const uint32_t n = Be16(file, 2);
  ASSERT_GT(n, 20u);
  const uint32_t text_off = 6 * (n + 1) + 60 * n;
  uint32_t lines = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const std::size_t toc = TocAt(n, i);
    const uint32_t type = Be16(file, toc);
    const uint32_t sndx = Be16(file, toc + 2);
    EXPECT_TRUE(type == 1 || type == 2) << i;
    if (sndx != 0) {
      EXPECT_EQ(sndx, i + 1) << i;
      EXPECT_EQ(Be16(file, TocAt(n, sndx)), 2u) << i;
    } else if (i + 1 < n) {
      EXPECT_EQ(Be16(file, TocAt(n, i + 1)), 1u) << i;
    }
    EXPECT_EQ(Be32(file, toc + 4), text_off + 72 * lines) << i;
    lines += Be32(file, toc + 8);
  }
  EXPECT_EQ(file.size(), text_off + 72 * lines);
}

}  // namespace
