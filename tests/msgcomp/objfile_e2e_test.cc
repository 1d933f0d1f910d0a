// genobj end to end where a golden case cannot say it: the compile date that
// the clock gives, an input too large to keep as a file, a write that fails
// under a file size limit, and a source that is a pipe. The byte-exact object files and the failure
// table are golden cases under tests/e2e/cases/qogenmsg-genobj-*.
#include <gtest/gtest.h>

#include <filesystem>
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

// The compile date is ctime text of the moment, then NUL bytes to the end of
// the header block. Golden cases fix the moment with qostamp, which shows
// the layout but not that genobj writes a real time there.
TEST(Genobj, CompileDateIsCtimeTextThenNulBytes) {
  TempDir dir;
  dir.Write("a.msg", "1 I ONE \"12345678\"\n");
  ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
  const std::string file = dir.Read("o.bin");
  ASSERT_GE(file.size(), 64u);
  const std::string date = file.substr(32, 24);
  EXPECT_TRUE(std::regex_match(date, std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}")))
      << date;
  EXPECT_EQ(file.substr(56, 8), std::string(8, '\0'));
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

// Both passes read the same bytes, read once: a source that cannot be read
// twice (a pipe) gives the object file a regular file gives.
TEST(Genobj, ASourceThatIsAPipeCompilesAsAFileDoes) {
  TempDir dir;
  const std::string source = "1 I A \"Hello @1%s\"\n2 E B [Y] \"World\"\n";
  dir.Write("a.msg", source);
  ASSERT_EQ(Compile(dir, {"a.msg"}).status, 0);
  RunOptions piped = InDir(dir.path(), source);
  piped.environment = {"SOURCE_DATE_EPOCH=0"};
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"genobj", "s.h", "p.bin", "/dev/stdin"}, piped).status, 0);
  RunOptions plain = InDir(dir.path());
  plain.environment = {"SOURCE_DATE_EPOCH=0"};
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"genobj", "s.h", "f.bin", "a.msg"}, plain).status, 0);
  EXPECT_EQ(dir.Read("p.bin"), dir.Read("f.bin"));
}

}  // namespace
