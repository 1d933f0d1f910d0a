// Standard input that ends early or never ends: every dialogue and every
// wait must still come to an end, with the program's usual status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

bool EndsWithAny(const std::string& text, const std::vector<std::string>& endings) {
  for (const std::string& e : endings) {
    if (text.ends_with(e)) return true;
  }
  return false;
}

// How a dialogue may end when its input stops anywhere.
const std::vector<std::string> kDialogueEndings = {
    "End of input.  Exiting program...\n", " Exiting program...", " I give up!  Exiting program...\n",
    " errors found.\n", "\nFinished...\n"};

TEST(EndlessInput, EveryPrefixOfADialogueEnds) {
  struct Case {
    std::string program;
    std::string dialogue;  // a whole dialogue, with a refusal and a second pass where there is one
  };
  const Case cases[] = {
      {VEXPROC_PATH, "in.txt\nout.hlp\n7x\n\nn\n\n\n80\ny\n"},
      {VEXPROC_LEGACY_PATH, "in.txt\nin.txt\nout.hlp\ny\n"},
  };
  for (const Case& c : cases) {
    for (size_t length = 0; length <= c.dialogue.size(); ++length) {
      SCOPED_TRACE(c.program + " with input " + testing::PrintToString(c.dialogue.substr(0, length)));
      TempDir dir;
      dir.Write("in.txt", "$H1%2%A$-abc\n$H1%2%A$Habc\n");
      RunOptions options;
      options.workdir = dir.path();
      options.input = c.dialogue.substr(0, length);
      options.timeout_seconds = 20;
      const RunResult r = RunProgram(c.program, {}, options);
      EXPECT_EQ(r.status, 0);
      EXPECT_TRUE(EndsWithAny(r.out, kDialogueEndings)) << r.out.substr(r.out.size() > 200 ? r.out.size() - 200 : 0);
    }
  }
}

TEST(EndlessInput, StreamsThatNeverEndAreNotWaitedOn) {
  struct Case {
    std::string name;
    std::string command;  // a shell command; $0 is the program
    std::string program;
    int status;
  };
  const Case cases[] = {
      {"vexproc, NUL bytes", "exec \"$0\" </dev/zero", VEXPROC_PATH, 0},
      {"vexproc, endless yes", "yes | exec \"$0\"", VEXPROC_PATH, 0},
      {"vexproc-legacy, NUL bytes", "exec \"$0\" </dev/zero", VEXPROC_LEGACY_PATH, 0},
      {"vexproc-legacy, endless yes", "yes | exec \"$0\"", VEXPROC_LEGACY_PATH, 0},
      // A failed gensym waits for one key only.
      {"qogenmsg, NUL bytes", "exec \"$0\" gensym x.h bad.msg </dev/zero", QOGENMSG_PATH, 255},
      {"qogenmsg, endless yes", "yes | exec \"$0\" gensym x.h bad.msg", QOGENMSG_PATH, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("bad.msg", "not a message");
    RunOptions options;
    options.workdir = dir.path();
    options.timeout_seconds = 20;
    const RunResult r = RunProgram("/bin/sh", {"-c", c.command, c.program}, options);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
  }
}

}  // namespace
