// Outputs that are not plain files: a device is written in place (replacing
// it would destroy it for everyone), and a symbolic link is followed, so the
// link stays and the file it points at gets the new content.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fault_run.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Program {
  std::string name;
  std::string path;
  std::string source;  // input file name
  std::string bytes;   // its content
  std::string outputStart;  // what a complete output begins with
};

std::vector<Program> Programs() {
  return {
      {"qogenmsg", QOGENMSG_PATH, "a.msg", "1 E MSG_ONE \"One @1%s.\"\n", "/*\n"},
      {"vexproc", VEXPROC_PATH, "a.txt", "$H1%2%A$-abc\ntext\n", std::string("\0\2\0\1\0\x48", 6)},
      {"vexproc-legacy", VEXPROC_LEGACY_PATH, "a.tag", "$H1%2%A$Habc\n", std::string("\0\2\0\1\0\1", 6)},
  };
}

RunResult RunOn(const Program& p, const TempDir& dir, const std::string& output) {
  RunOptions options;
  options.workdir = dir.path();
  const std::vector<std::string> args =
      p.name == "qogenmsg" ? std::vector<std::string>{"regensym", output, p.source}
                           : std::vector<std::string>{p.source, output};
  return RunProgram(p.path, args, options);
}

TEST(SpecialOutputs, LinksAreFollowed) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    TempDir dir;
    dir.Write(p.source, p.bytes);
    dir.Write("real.out", "earlier output\n");
    fs::create_symlink("real.out", dir / "link.out");
    const RunResult r = RunOn(p, dir, "link.out");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.out"));
    EXPECT_TRUE(dir.Read("real.out").starts_with(p.outputStart));
    EXPECT_EQ(WithoutListing(DirectoryNames(dir.path())),
              (std::set<std::string>{p.source, "real.out", "link.out"}));
  }
}

TEST(SpecialOutputs, DevicesAreWrittenInPlace) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    TempDir dir;
    dir.Write(p.source, p.bytes);
    // A private null device, so a program that replaced it would harm nothing else.
    if (mknod((dir / "null.out").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
      GTEST_SKIP() << "creating a device node needs privileges";
    }
    const RunResult r = RunOn(p, dir, "null.out");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::is_character_file(dir / "null.out"));
    EXPECT_EQ(WithoutListing(DirectoryNames(dir.path())), (std::set<std::string>{p.source, "null.out"}));
  }
}

}  // namespace
