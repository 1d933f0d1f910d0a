// genobj end to end: the object file's bytes against bytes written out by
// hand from the format tables, and a round trip through a decoder written
// from the same tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

RunResult Qogenmsg(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProgram(QOGENMSG_PATH, args, InDir(dir.path()));
}

// gensym, then genobj on the same sources; the genobj result.
RunResult Compile(const TempDir& dir, const std::vector<std::string>& sources) {
  std::vector<std::string> args = {"gensym", "s.h"};
  args.insert(args.end(), sources.begin(), sources.end());
  const RunResult gensym = Qogenmsg(dir, args);
  EXPECT_EQ(gensym.status, 0) << gensym.err;
  args[0] = "genobj";
  args.insert(args.begin() + 2, "o.bin");
  return Qogenmsg(dir, args);
}

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

unsigned Get16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
int32_t Get32(const Bytes& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

// Checks compDate (24 characters of ctime form, then NUL bytes) and clears it.
void ExpectAndMaskDate(Bytes& file) {
  ASSERT_GE(file.size(), 64u);
  const std::string date(file.begin() + 32, file.begin() + 56);
  EXPECT_TRUE(std::regex_match(date, std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}")))
      << date;
  for (int i = 32; i < 64; ++i) {
    if (i >= 56) {
      EXPECT_EQ(file[i], 0) << i;
    }
    file[i] = 0;
  }
}

// One block: a 16-bit little-endian header, then payload, zero-filled to 64 bytes.
Bytes TextBlock(unsigned header, const std::string& payload) {
  Bytes block(std::max<std::size_t>(64, payload.size() + 2), 0);
  block[0] = static_cast<unsigned char>(header & 0xff);
  block[1] = static_cast<unsigned char>(header >> 8);
  std::copy(payload.begin(), payload.end(), block.begin() + 2);
  return block;
}

TEST(Genobj, WorkedExampleByteForByte) {
  TempDir dir;
  // Message 1: no response, compiled text 10 bytes (flag, 8 characters, NUL).
  // Message 3: response "Y", compiled text 70 bytes (flag, 68 characters, NUL).
  const std::string text3 = std::string(60, 'a') + "bcdefghi";
  dir.Write("a.msg", "1 I ONE \"12345678\"\n3 W THREE [Y] \"" + text3 + "\"\n");
  const RunResult r = Compile(dir, {"a.msg"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "        Compiled 2 messages; highest message number was 3.\n");
  EXPECT_EQ(r.err, "");
  Bytes file = ToBytes(dir.Read("o.bin"));
  ExpectAndMaskDate(file);

  // Checksum: ONE = 79+78+69 = 226, THREE = 84+72+82+69+69 = 376; plus 1 + 3.
  Bytes expected = {'1', 'R', '3', 'V', 1, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 0x5e, 0x02, 0, 0, 1, 1, 1};
  expected.resize(64, 0);
  Bytes index = {3, 0, 0, 0, 4, 0};
  index.resize(64, 0);
  expected.insert(expected.end(), index.begin(), index.end());
  for (const Bytes& block : {TextBlock(4 * 4096 + 10, std::string("\x01" "12345678") + '\0'),
                             TextBlock(0x8000 + 5 * 4096 + 512 + 61, "Y\x01" + text3.substr(0, 60)),
                             TextBlock(5 * 4096 + 9, text3.substr(60) + '\0')}) {
    expected.insert(expected.end(), block.begin(), block.end());
  }
  EXPECT_EQ(file.size(), 5u * 64);
  EXPECT_EQ(file, expected);
}

TEST(Genobj, IndexBlocksFollowTheHighestNumber) {
  struct Row {
    int high;
    size_t indexBlocks;
  };
  for (const Row row : {Row{32, 1}, Row{33, 2}}) {
    TempDir dir;
    dir.Write("a.msg", "2 I TWO \"x\"\n" + std::to_string(row.high) + " I HIGH \"y\"\n");
    ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
    const Bytes file = ToBytes(dir.Read("o.bin"));
    ASSERT_EQ(file.size(), (1 + row.indexBlocks + 2) * 64) << row.high;
    const unsigned firstText = 2 + static_cast<unsigned>(row.indexBlocks);
    EXPECT_EQ(Get16(file, 64 + 2), firstText);  // message 2
    const size_t highEntry = 64 + 64 * ((row.high - 1) / 32) + 2 * ((row.high - 1) % 32);
    EXPECT_EQ(Get16(file, highEntry), firstText + 1) << row.high;
    EXPECT_EQ(Get32(file, 4), 2);
    EXPECT_EQ(Get32(file, 8), row.high);
  }
}

TEST(Genobj, BlockBoundaries) {
  struct Row {
    std::string response;
    size_t compiledLen;
    std::vector<unsigned> headers;
  };
  const Row rows[] = {
      {"", 62, {0x4000 + 62}},
      {"", 63, {0xC000 + 62, 0x4000 + 1}},
      {"Yes", 59, {0x4000 + 3 * 512 + 59}},
      {"Yes", 60, {0xC000 + 3 * 512 + 59, 0x4000 + 1}},
      {"1234567", 55, {0x4000 + 7 * 512 + 55}},
      {"1234567", 180, {0xC000 + 7 * 512 + 55, 0xC000 + 62, 0xC000 + 62, 0x4000 + 1}},
  };
  for (const Row& row : rows) {
    TempDir dir;
    // Compiled form of a text without inserts: flag, text, NUL.
    const std::string text(row.compiledLen - 2, 'm');
    dir.Write("a.msg", "1 I M [" + row.response + "] \"" + text + "\"\n");
    ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
    const Bytes file = ToBytes(dir.Read("o.bin"));
    ASSERT_EQ(file.size(), (2 + row.headers.size()) * 64) << row.compiledLen;
    for (size_t b = 0; b < row.headers.size(); ++b) {
      EXPECT_EQ(Get16(file, (2 + b) * 64), row.headers[b]) << row.response << " " << row.compiledLen << " " << b;
    }
  }
}

TEST(Genobj, SeverityIsStoredModuloEight) {
  const std::string letters = "ZTRKIWESL";
  for (size_t code = 0; code < letters.size(); ++code) {
    TempDir dir;
    dir.Write("a.msg", std::string("1 ") + letters[code] + " M \"x\"\n");
    ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
    const Bytes file = ToBytes(dir.Read("o.bin"));
    EXPECT_EQ(Get16(file, 128) >> 12, code % 8) << letters[code];
  }
}

TEST(Genobj, FormatCodes) {
  struct Row {
    std::string metas;
    int date, time, number;
    std::string err;
  };
  const Row rows[] = {
      {"", 1, 1, 1, ""},
      {"0 I DATEFORMAT \"05\" 0 I TIMEFORMAT \"4\" 0 I NUMBERFORMAT \"6\" 0 I OTHER \"x\"", 5, 4, 6, ""},
      {"\n0 I DATEFORMAT \"6\"", 0, 0, 0, "Invalid date format code found in file a.msg, line 2.\n"},
      {"0 I DATEFORMAT \"\"", 0, 0, 0, "Invalid date format code found in file a.msg, line 1.\n"},
      {"0 I DATEFORMAT \"3a\"", 0, 0, 0, "Invalid date format code found in file a.msg, line 1.\n"},
      {"0 I DATEFORMAT \"0\"", 0, 0, 0, "Invalid date format code found in file a.msg, line 1.\n"},
      {"0 I DATEFORMAT \"99999999999999999999\"", 0, 0, 0, "Invalid date format code found in file a.msg, line 1.\n"},
      {"0 I TIMEFORMAT \"5\"", 0, 0, 0, "Invalid time format code found in file a.msg, line 1.\n"},
      {"0 I NUMBERFORMAT \" 2\"", 0, 0, 0, "Invalid number format code found in file a.msg, line 1.\n"},
      // The codes are checked date, time, number; only the first invalid one is reported.
      {"0 I NUMBERFORMAT \"9\"\n0 I TIMEFORMAT \"9\"\n0 I DATEFORMAT \"9\"", 0, 0, 0,
       "Invalid date format code found in file a.msg, line 3.\n"},
      {"0 I NUMBERFORMAT \"9\" 0 I TIMEFORMAT \"9\"", 0, 0, 0, "Invalid time format code found in file a.msg, line 1.\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    dir.Write("a.msg", row.metas + "\n1 I M \"x\"\n");
    const RunResult r = Compile(dir, {"a.msg"});
    if (row.err.empty()) {
      ASSERT_EQ(r.status, 0) << row.metas << r.err;
      const Bytes file = ToBytes(dir.Read("o.bin"));
      EXPECT_EQ(file[20], row.date) << row.metas;
      EXPECT_EQ(file[21], row.time) << row.metas;
      EXPECT_EQ(file[22], row.number) << row.metas;
    } else {
      EXPECT_EQ(r.status, 1) << row.metas;
      EXPECT_EQ(r.err, row.err + "\nCompile failed.\nHit enter to continue...");
      EXPECT_FALSE(dir.Exists("o.bin"));
    }
  }
}

TEST(Genobj, FailureTable) {
  const std::string wait = "\nCompile failed.\nHit enter to continue...";
  struct Row {
    std::string name;
    std::string sourceForGensym;
    std::string sourceForGenobj;
    std::vector<std::string> args;
    std::string err;
    int status;
  };
  const std::string base = "1 I A \"a\"\n2 I B \"b\"\n";
  const Row rows[] = {
      {"no symbol file", "", base, {"genobj", "s.h", "o.bin", "a.msg"},
       "Unable to open symbol file s.h for reading.\n" + wait, 1},
      {"symbol added", base, base + "3 I C \"c\"\n", {"genobj", "s.h", "o.bin", "a.msg"},
       "Error - symbol mapping in source file(s) disagrees with mapping in symbol file s.h.\n" + wait, 255},
      {"symbol removed", base, "1 I A \"a\"\n", {"genobj", "s.h", "o.bin", "a.msg"},
       "**** Mismatched: 2 B \nError - symbol mapping in source file(s) disagrees with mapping in symbol file s.h.\n" +
           wait,
       255},
      {"long double", base, "1 I A \"a\"\n\n2 I B \"@1%Lf\"\n", {"genobj", "s.h", "o.bin", "a.msg"},
       "Long double (%le, %lf, or %lg) not supported in this release.\nRaw message text:\n@1%Lf\n"
       "Message num: 2, line 3\n" + wait,
       1},
      {"three asterisks", base, "1 I A \"a\"\n2 I B \"@1%*.*.*d\"\n", {"genobj", "s.h", "o.bin", "a.msg"},
       "More than 2 asterisks in the control string\nMessage num: 2, line 2\n" + wait, 1},
      {"unwritable object file", base, base, {"genobj", "s.h", "no/such/dir/o.bin", "a.msg"},
       "Unable to open object file no/such/dir/o.bin for writing.\n" + wait, 1},
  };
  for (const Row& row : rows) {
    TempDir dir;
    if (!row.sourceForGensym.empty()) {
      dir.Write("a.msg", row.sourceForGensym);
      ASSERT_EQ(Qogenmsg(dir, {"gensym", "s.h", "a.msg"}).status, 0) << row.name;
    }
    dir.Write("a.msg", row.sourceForGenobj);
    const RunResult r = Qogenmsg(dir, row.args);
    EXPECT_EQ(r.err, row.err) << row.name;
    EXPECT_EQ(r.out, "") << row.name;
    EXPECT_EQ(r.status, row.status) << row.name;
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, row.sourceForGensym.empty() ? 1 : 2) << row.name;  // no object or temporary file
  }
}

TEST(Genobj, CatalogueTooLargeForTheIndexIsRejected) {
  TempDir dir;
  std::string source;
  const std::string text(1000, 't');  // 17 blocks per message
  for (int n = 1; n <= 3900; ++n) source += std::to_string(n) + " I M" + std::to_string(n) + " \"" + text + "\"\n";
  dir.Write("a.msg", source);
  const RunResult r = Compile(dir, {"a.msg"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Object file o.bin would need 66423 blocks; at most 65535 can be indexed.\n"
            "\nCompile failed.\nHit enter to continue...");
  EXPECT_FALSE(dir.Exists("o.bin"));
}

TEST(Genobj, FailedWriteKeepsTheOldObjectFile) {
  TempDir dir;
  dir.Write("a.msg", "1 I A \"a\"\n");
  ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
  const std::string before = dir.Read("o.bin");
  std::string source;
  for (int n = 1; n <= 200; ++n) source += std::to_string(n) + " I M" + std::to_string(n) + " \"" + std::string(100, 'x') + "\"\n";
  dir.Write("a.msg", source);
  ASSERT_EQ(Qogenmsg(dir, {"gensym", "s.h", "a.msg"}).status, 0);
  const RunResult r = RunProgram(
      "/bin/sh", {"-c", std::string("trap '' XFSZ; ulimit -f 16; exec ") + QOGENMSG_PATH + " genobj s.h o.bin a.msg"},
      InDir(dir.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error occurred writing to object file o.bin.\n\nCompile failed.\nHit enter to continue...");
  EXPECT_EQ(dir.Read("o.bin"), before);
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 3);
}

}  // namespace
