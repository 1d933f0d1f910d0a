// The dump tools print everything to standard output; when it cannot be
// written they must say so and fail, not report a clean file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../kit/catalog_bytes.h"
#include "fault_run.h"
#include "temp_dir.h"

namespace {

TEST(DumpOutput, FullStandardOutputFails) {
  TempDir dir;
  dir.Write("a.txt", "$H1%2%A$-abc\ntext\n");
  RunOptions options;
  options.workdir = dir.path();
  ASSERT_EQ(RunProgram(VEXPROC_PATH, {"a.txt", "a.hlp"}, options).status, 0);
  dir.Write("a.obj", kittest::TwoMessageFile());

  struct Case {
    std::string program;
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {QOMSGDUMP_PATH, {"a.obj"}, "qomsgdump: cannot write the output\n"},
      {VEXDUMP_PATH, {"a.hlp"}, "vexdump: cannot write the output\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    // The same run with a working standard output succeeds, so only the output fails.
    EXPECT_EQ(RunProgram(c.program, c.args, options).status, 0);
    const RunResult r = RunWithFullStdout(c.program, c.args, options);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.status, 1);
  }
}

}  // namespace
