// A C client on the texts that used to crash printf-based clients: the
// compiler refuses them, their sound forms print as printf prints them, and
// every refused call ends with a clean error and an empty buffer.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"
#include "temp_dir.h"

namespace {

TEST(FormatClient, CrashCasesEndWithTheRightTextOrACleanError) {
  TempDir dir;
  dir.Write("a.msg",
            "1 I DONE \"100%% done @1%s\"\n"
            "2 I GROUPED \"@1%'d bytes, @2%.1f%%\"\n"
            "3 I REORDERED \"@2%s: @1%lld\"\n"
            "4 I SINGULAR \"one file\"\n");
  const RunOptions in_dir{"", dir.path(), 60, {"LC_ALL=C"}};
  RunResult r = RunProgram(QOGENMSG_PATH, {"regensym", "msgs.h", "a.msg"}, in_dir);
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunProgram(QOGENMSG_PATH, {"genobj", "msgs.h", "msgs.obj", "a.msg"}, in_dir);
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunProgram(FORMAT_CLIENT_PATH, {(dir / "msgs.obj").string()}, in_dir);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "percent: 15 [100% done a.txt]\n"
            "grouping: 19 [1234567 bytes, 2.5%]\n"
            "long long: 13 [y: 5000000000]\n"
            "argument left out: 8 [one file]\n"
            "wrong type: -11 []\n"
            "missing message: -10 []\n"
            "too few arguments: -11 []\n"
            "old %F: -9 [not opened]\n"
            "old %zu: -9 [not opened]\n"
            "old lone percent: -9 [not opened]\n"
            "old %Id: -9 [not opened]\n");
}

// The grouping flag reaches printf: in a locale that groups digits the
// reader groups them as printf does.
TEST(FormatClient, GroupsDigitsAsThePrintfOfTheLocale) {
  TempDir dir;
  const RunResult made = RunProgram("/usr/bin/localedef", {"-i", "de_DE", "-f", "UTF-8", (dir / "de_DE.UTF-8").string()});
  if (made.status != 0) GTEST_SKIP() << "no locale sources to build de_DE.UTF-8 from: " << made.err;
  dir.Write("a.msg", "1 I DONE \"x\"\n2 I GROUPED \"@1%'d bytes, @2%.1f%%\"\n");
  const RunOptions in_dir{"", dir.path(), 60, {"LC_ALL=C"}};
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"regensym", "msgs.h", "a.msg"}, in_dir).status, 0);
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"genobj", "msgs.h", "msgs.obj", "a.msg"}, in_dir).status, 0);
  const RunOptions german{"", dir.path(), 60, {"LC_ALL=de_DE.UTF-8", "LOCPATH=" + dir.path().string()}};
  const RunResult r = RunProgram(FORMAT_CLIENT_PATH, {(dir / "msgs.obj").string()}, german);
  EXPECT_NE(r.out.find("grouping: 21 [1.234.567 bytes, 2,5%]\n"), std::string::npos) << r.out << r.err;
}

TEST(FormatClient, CompilerRefusesTheCrashTexts) {
  const struct {
    const char* text;
    const char* message;
  } rows[] = {
      {"100% done @1%s", "Conversion 1: percent sign outside an insert must be written %%\n"},
      {"v=@1%F items @2%s", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%zu items", "Conversion 1: length modifier does not match the size of the argument type\n"},
      {"@1%Id", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    dir.Write("a.msg", std::string("\n1 I M \"") + row.text + "\"\n");
    const RunResult r = RunProgram(QOGENMSG_PATH, {"regensym", "msgs.h", "a.msg"}, InDir(dir.path(), "\n"));
    EXPECT_EQ(r.status, 1) << row.text;
    // The position lines tell where the parser stands after the entry: past the end of the last source.
    EXPECT_EQ(r.err, std::string("curSourceLine: 1 \ncurSourceFile: 1 \n") + row.message + "\nCompile failed.\n")
        << row.text;
    EXPECT_FALSE(dir.Exists("msgs.h"));
  }
}

}  // namespace
