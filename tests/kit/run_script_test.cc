// The build functions' run script with stand-in programs: what the kit's
// programs print reaches the build log as written (long lines whole, no
// prompt for a key), a failed compile fails the step and leaves no object,
// and the header is written anew exactly when the sources need more inserts
// than its _MAX_INSERTS (which qomsgdump reads from it), or always, beside the
// old one, when SOURCE_DATE_EPOCH asks for a reproducible build.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
  const char* epoch = nullptr;  // SOURCE_DATE_EPOCH, when set
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
      {"a reproducible build makes the header anew", "", 0, 1, 0, 0, "", true, "1700000000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.Write("a.h", "#define _MAX_INSERTS                                     2\n");
    dir.Write("a.msg", "1 I X \"x\"\n");
    dir.Write("qogenmsg",
              "#!/bin/sh\necho \"$1 $2\" >>calls.txt\n"
              "if [ \"$1\" = genobj ]; then printf '%s' \"$FAKE_GENOBJ\"; : >\"$3\"; exit \"$FAKE_GENOBJ_STATUS\"; fi\n"
              "if [ \"$1\" = regensym ] && [ \"$2\" != \"$PWD/a.h\" ]; then cp a.h \"$2\"; fi\n");
    dir.Write("qomsgcheck",
              "#!/bin/sh\nif [ \"$1\" = --max-inserts ]; then echo \"$FAKE_MAX\"; exit 0; fi\n"
              "[ -n \"$FAKE_LINT\" ] && echo \"$FAKE_LINT\" >&2\nexit \"$FAKE_LINT_STATUS\"\n");
    dir.Write("qomsgsig", "#!/bin/sh\nexit 0\n");
    for (const char* program : {"qogenmsg", "qomsgcheck", "qomsgsig"})
      fs::permissions(dir / program, fs::perms::owner_all);
    const std::string genobj =
        row.genobj_status == 0 ? std::string() : std::string(kLongLine).append("\n\nCompile failed.\nHit enter to continue...");
    std::vector<std::string> environment = {
        "FAKE_LINT=" + std::string(row.lint), "FAKE_LINT_STATUS=" + std::to_string(row.lint_status),
        "FAKE_MAX=" + std::to_string(row.max_inserts), "FAKE_GENOBJ=" + genobj,
        "FAKE_GENOBJ_STATUS=" + std::to_string(row.genobj_status)};
    if (row.epoch != nullptr) environment.push_back(std::string("SOURCE_DATE_EPOCH=") + row.epoch);
    const RunResult run = Exec(
        {CMAKE_PATH, "-D", "QOKIT_MODE=messages", "-D", "QOKIT_PROGRAM=" + (dir / "qogenmsg").string(), "-D",
         "QOKIT_CHECKER=" + (dir / "qomsgcheck").string(), "-D", "QOKIT_SIGNER=" + (dir / "qomsgsig").string(), "-D",
         "QOKIT_HEADER=" + (dir / "a.h").string(), "-D", "QOKIT_COMPANION=" + (dir / "a_sig.h").string(), "-D",
         "QOKIT_PREFIX=a", "-D", "QOKIT_OBJECT=" + (dir / "a.obj").string(), "-D",
         "QOKIT_STAMP=" + (dir / "a.stamp").string(), "-D", "QOKIT_SOURCES=" + (dir / "a.msg").string(), "-D",
         std::string("QOKIT_DUMPER=") + QOMSGDUMP_PATH, "-P", QOKIT_SOURCE_DIR "/kit/cmake/qokitRun.cmake"},
        dir.path(), environment);
    EXPECT_EQ(run.status != 0, row.step_status != 0) << Describe(run);
    const std::string log = run.out + run.err;
    if (!row.shown.empty()) {
      EXPECT_NE(log.find(row.shown), std::string::npos) << log;
    }
    EXPECT_EQ(log.find("Hit enter"), std::string::npos) << log;
    const std::string calls = dir.Read("calls.txt");
    EXPECT_EQ(calls.find("regensym") != std::string::npos, row.regenerated) << calls;
    if (row.epoch != nullptr) {
      // Only the fresh header's bytes count, and they replace the old ones only when they differ.
      EXPECT_EQ(calls.rfind("regensym " + (dir / "a.h.new").string() + "\n", 0), 0u) << calls;
      EXPECT_FALSE(dir.Exists("a.h.new"));
    }
    if (row.step_status != 0) {
      EXPECT_FALSE(dir.Exists("a.obj")) << "a failed step left its object file";
    }
  }
}

}  // namespace
