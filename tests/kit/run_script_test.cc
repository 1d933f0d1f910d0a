// The build functions' run script with stand-in programs: what the kit's
// programs print reaches the build log as written (long lines whole, no
// prompt for a key), a failed compile fails the step and leaves no object,
// and the header is written anew exactly when the sources need more inserts
// than its _MAX_INSERTS.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kLongLine =
    std::string("a.msg:7: error: ").append(140, 'x').append(" (a line longer than any terminal)");

struct Row {
  const char* name;
  const char* lint;       // what the checker prints
  int lint_status;
  int max_inserts;        // what the checker's --max-inserts prints; the header says 2
  int genobj_status;      // genobj prints kLongLine and the prompt when it fails
  int step_status;        // 0 or not 0
  std::string shown;      // must stand in the log, whole
  bool regenerated;
};

TEST(RunScript, ShowsWhatTheProgramsWroteAndRemakesAStaleHeader) {
  const Row rows[] = {
      {"clean", "", 0, 2, 0, 0, "", false},
      {"lint warning shown", "a.msg:3: warning: X: blank before a line end", 0, 2, 0, 0,
       "a.msg:3: warning: X: blank before a line end", false},
      {"lint error fails", "a.msg:3: error: X: text longer than 1024 bytes", 1, 2, 0, 1,
       "a.msg:3: error: X: text longer than 1024 bytes", false},
      {"genobj failure whole, without the prompt", "", 0, 2, 1, 1, kLongLine + "\n\nCompile failed.", false},
      {"more inserts than the header says", "", 0, 3, 0, 0, "", true},
      {"fewer inserts keep the header", "", 0, 1, 0, 0, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.Write("a.h", "#define _MAX_INSERTS                                     2\n");
    dir.Write("a.msg", "1 I X \"x\"\n");
    dir.Write("qogenmsg",
              "#!/bin/sh\necho \"$1\" >>calls.txt\n"
              "if [ \"$1\" = genobj ]; then printf '%s' \"$FAKE_GENOBJ\"; : >\"$3\"; exit \"$FAKE_GENOBJ_STATUS\"; fi\n");
    dir.Write("qomsgcheck",
              "#!/bin/sh\nif [ \"$1\" = --max-inserts ]; then echo \"$FAKE_MAX\"; exit 0; fi\n"
              "[ -n \"$FAKE_LINT\" ] && echo \"$FAKE_LINT\" >&2\nexit \"$FAKE_LINT_STATUS\"\n");
    dir.Write("qomsgsig", "#!/bin/sh\nexit 0\n");
    for (const char* program : {"qogenmsg", "qomsgcheck", "qomsgsig"})
      fs::permissions(dir / program, fs::perms::owner_all);
    const std::string genobj =
        row.genobj_status == 0 ? std::string() : std::string(kLongLine).append("\n\nCompile failed.\nHit enter to continue...");
    const RunResult run = Exec(
        {CMAKE_PATH, "-D", "QOKIT_MODE=messages", "-D", "QOKIT_PROGRAM=" + (dir / "qogenmsg").string(), "-D",
         "QOKIT_CHECKER=" + (dir / "qomsgcheck").string(), "-D", "QOKIT_SIGNER=" + (dir / "qomsgsig").string(), "-D",
         "QOKIT_HEADER=" + (dir / "a.h").string(), "-D", "QOKIT_COMPANION=" + (dir / "a_sig.h").string(), "-D",
         "QOKIT_PREFIX=a", "-D", "QOKIT_OBJECT=" + (dir / "a.obj").string(), "-D",
         "QOKIT_STAMP=" + (dir / "a.stamp").string(), "-D", "QOKIT_SOURCES=" + (dir / "a.msg").string(), "-P",
         QOKIT_SOURCE_DIR "/kit/cmake/qokitRun.cmake"},
        dir.path(),
        {"FAKE_LINT=" + std::string(row.lint), "FAKE_LINT_STATUS=" + std::to_string(row.lint_status),
         "FAKE_MAX=" + std::to_string(row.max_inserts), "FAKE_GENOBJ=" + genobj,
         "FAKE_GENOBJ_STATUS=" + std::to_string(row.genobj_status)});
    EXPECT_EQ(run.status != 0, row.step_status != 0) << Describe(run);
    const std::string log = run.out + run.err;
    if (!row.shown.empty()) {
      EXPECT_NE(log.find(row.shown), std::string::npos) << log;
    }
    EXPECT_EQ(log.find("Hit enter"), std::string::npos) << log;
    const std::string calls = dir.Read("calls.txt");
    EXPECT_EQ(calls.find("regensym") != std::string::npos, row.regenerated) << calls;
    if (row.step_status != 0) {
      EXPECT_FALSE(dir.Exists("a.obj")) << "a failed step left its object file";
    }
  }
}

}  // namespace
