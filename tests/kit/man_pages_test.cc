// Every manual page renders without a warning, and every installed program
// and file format has one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;
const fs::path kManDir = fs::path(QOKIT_SOURCE_DIR) / "kit" / "man";

TEST(ManPages, RenderWithoutWarnings) {
  int pages = 0;
  for (const auto& entry : fs::directory_iterator(kManDir)) {
    SCOPED_TRACE(entry.path().filename().string());
    const RunResult r = RunProgram("/bin/sh", {"-c", "groff -t -man -ww -z \"$0\"", entry.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    ++pages;
  }
  EXPECT_EQ(pages, 10);
}

TEST(ManPages, CoverEveryProgramAndFormat) {
  for (const char* page : {"qogenmsg.1", "vexproc.1", "vexproc-legacy.1", "statagent.1", "qomsgdump.1",
                           "vexdump.1", "qomsg-source.5", "qomsg-object.5", "qohelp.5",
                           "qokit_agentclient.3"})
    EXPECT_TRUE(fs::exists(kManDir / page)) << page;
}

}  // namespace
