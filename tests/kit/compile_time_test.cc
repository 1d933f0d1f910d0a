// The compile-time rewriting of qostamp: epoch values, the UTC text against
// the C library's asctime, the places in both file formats, and the program.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <random>
#include <string>

#include "catalog_bytes.h"
#include "compile_time.h"
#include "run_program.h"
#include "temp_dir.h"
#include "time_text.h"

namespace {

using qokit::format::ParseEpoch;
using qokit::format::UtcTimeText;
using qokit::stamp::RewriteCompileTime;
using qokit::stamp::StampKind;

TEST(CompileTime, EpochValues) {
  const struct {
    const char* text;
    std::optional<std::time_t> value;
  } rows[] = {{"0", 0},          {"1700000000", 1700000000}, {"0001", 1},          {"253402300799", 253402300799},
              {"", {}},          {"253402300800", {}},       {"-1", {}},           {"+5", {}},
              {" 5", {}},        {"5 ", {}},                 {"1.5", {}},          {"0x10", {}},
              {"99999999999999999999", {}}};
  for (const auto& row : rows) EXPECT_EQ(ParseEpoch(row.text), row.value) << '"' << row.text << '"';
}

// asctime is the same text in every locale; it is what ctime prints for UTC.
TEST(CompileTime, TextMatchesAsctimeOfUtc) {
  std::mt19937_64 rng(42);
  for (int i = 0; i < 2000; ++i) {
    const std::time_t t = i < 3 ? std::time_t{i == 0 ? 0 : i == 1 ? 951782400 : 253402300799}
                                : static_cast<std::time_t>(rng() % 253402300800ULL);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char expected[64];
    asctime_r(&tm, expected);
    EXPECT_EQ(std::string(UtcTimeText(t).data()) + "\n", expected) << t;
  }
}

TEST(CompileTime, RewritesTheControlBlockDate) {
  std::string file = kittest::Control(1, 1, 1, 99, 1, 1, 1).bytes + std::string(64, 'x');
  const std::string original = file;
  ASSERT_EQ(RewriteCompileTime(file, "Tue Nov 14 22:13:20 2023"), StampKind::kObjectFile);
  EXPECT_EQ(file.substr(0, 32), original.substr(0, 32));
  EXPECT_EQ(file.substr(32, 32), std::string("Tue Nov 14 22:13:20 2023") + std::string(8, '\0'));
  EXPECT_EQ(file.substr(64), original.substr(64));

  std::string short_date = original;
  short_date[40] = '\0';  // a date text of 8 characters
  EXPECT_EQ(RewriteCompileTime(short_date, "Tue Nov 14 22:13:20 2023"), std::nullopt);
}

TEST(CompileTime, RewritesTheTimestampLineOnly) {
  const std::string head = "/*\n * _MSGSYM_TIMESTAMP in a comment\n */\n#define _MSGSYM_CHECKSUM 100\n\n";
  const std::string tail = "\n\n#define A 1\n";
  std::string file = head + "#define _MSGSYM_TIMESTAMP                \"Mon Dec  7 10:00:00 2026\"" + tail;
  ASSERT_EQ(RewriteCompileTime(file, "Thu Jan  1 00:00:00 1970"), StampKind::kSymbolFile);
  EXPECT_EQ(file, head + "#define _MSGSYM_TIMESTAMP                \"Thu Jan  1 00:00:00 1970\"" + tail);

  for (const std::string bad : {"#define _MSGSYM_TIMESTAMP \"short\"\n", "#define _MSGSYM_TIMESTAMPX \"Mon Dec  7 10:00:00 2026\"\n",
                                "/* nothing */\n", ""}) {
    std::string copy = bad;
    EXPECT_EQ(RewriteCompileTime(copy, "Thu Jan  1 00:00:00 1970"), std::nullopt) << bad;
    EXPECT_EQ(copy, bad);
  }
}

// The rest of qostamp's behaviour is in the golden cases (tests/e2e/cases).
TEST(Qostamp, KeepsPermissionBitsAndLeavesStampedFilesAlone) {
  TempDir dir;
  const auto sym = dir.Write("a.h", "#define _MSGSYM_TIMESTAMP \"Mon Dec  7 10:00:00 2026\"\n");
  chmod(sym.c_str(), 0640);
  ASSERT_EQ(RunProgram(QOSTAMP_PATH, {"86400", sym.string()}).status, 0);
  EXPECT_EQ(dir.Read("a.h"), "#define _MSGSYM_TIMESTAMP \"Fri Jan  2 00:00:00 1970\"\n");
  struct stat st {};
  ASSERT_EQ(stat(sym.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  const auto earlier = std::filesystem::last_write_time(sym) - std::chrono::hours(1);
  std::filesystem::last_write_time(sym, earlier);
  EXPECT_EQ(RunProgram(QOSTAMP_PATH, {"86400", sym.string()}).status, 0);
  EXPECT_EQ(std::filesystem::last_write_time(sym), earlier) << "an unchanged file was written";
}

}  // namespace
