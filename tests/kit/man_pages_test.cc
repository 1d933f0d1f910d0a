// Every manual page renders and lints without a warning, and every installed
// program, library and file format has one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;
const fs::path kManDir = fs::path(QOKIT_SOURCE_DIR) / "kit" / "man";

void ExpectEveryPageQuiet(const char* command) {
  int pages = 0;
  for (const auto& entry : fs::directory_iterator(kManDir)) {
    SCOPED_TRACE(entry.path().filename().string());
    const RunResult r = RunProgram("/bin/sh", {"-c", command, entry.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err + r.out, "");
    ++pages;
  }
  EXPECT_GT(pages, 0);
}

TEST(ManPages, RenderWithoutWarnings) { ExpectEveryPageQuiet("groff -t -man -ww -z \"$0\""); }

TEST(ManPages, PassMandocLint) {
  if (RunProgram("/bin/sh", {"-c", "command -v mandoc"}).status != 0)
    GTEST_SKIP() << "mandoc is not installed (apt-get install mandoc)";
  ExpectEveryPageQuiet("mandoc -T lint -W warning \"$0\"");
}

TEST(ManPages, CoverEveryProgramLibraryAndFormat) {
  for (const char* page : {"qogenmsg.1", "vexproc.1", "vexproc-legacy.1", "statagent.1", "qomsgdump.1", "vexdump.1",
                           "qostamp.1", "qomsgpo.1", "qomsgcheck.1", "qomsgsig.1", "qomsg.3", "qohlp.3", "qoagent.3", "qomsg-source.5",
                           "qomsg-object.5", "qohelp.5"})
    EXPECT_TRUE(fs::exists(kManDir / page)) << page;
}

}  // namespace
