// qomsgdump and vexdump run as programs on hand-assembled files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "help_bytes.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

using namespace kittest;

const std::string kTwoMessageSource =
    "/* 2 messages from 1 to 3, checksum 1234, compiled Mon Dec  7 21:00:00 2026 */\n\n"
    "0 I DATEFORMAT \"2\"\n0 I TIMEFORMAT \"3\"\n0 I NUMBERFORMAT \"4\"\n\n";

struct ToolRow {
  const char* name;
  std::vector<std::string> args;  // file names refer to the files written below
  int status;
  std::string out;   // expected standard output (exact)
  std::string err;   // a text standard error must contain ("" = must be empty)
  bool check_out = true;
};

void RunRows(const char* program, const std::vector<ToolRow>& rows, const TempDir& dir) {
  for (const ToolRow& row : rows) {
    SCOPED_TRACE(row.name);
    const RunResult r = RunProgram(program, row.args, RunOptions{"", dir.path(), 30, {}});
    EXPECT_EQ(r.status, row.status);
    if (row.check_out) {
      EXPECT_EQ(r.out, row.out);
    }
    if (row.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    }
  }
}

TEST(Qomsgdump, PrintsSourceTextAndRejectsBadFiles) {
  TempDir dir;
  dir.Write("two.obj", TwoMessageFile());
  dir.Write("two.h",
            "/* generated */\n#define _MSGSYM_CHECKSUM 1234\n#define _MAX_INSERTS 2\n"
            "#define MSG_HELLO        1\n\n#define   MSG_SWAPPED\t3\n");
  std::string bad = TwoMessageFile();
  bad[0] = 'X';
  dir.Write("bad.obj", bad);
  // Control bytes, quotes and backslashes come back as escapes; a line feed splits the string.
  Block index;
  index.U16(0, 3);
  dir.Write("escapes.obj", Control(1, 1, 1, 7).bytes + index.bytes +
                               OneBlockMessage(0, "a\\b", "\1Say \"hi\"\\\tnow\nthen\n\0"s).bytes);

  const std::string reordered = "[Y] \"@2%d" + kFiller + "@1%s\"\n";
  const std::vector<ToolRow> rows = {
      {"generated names", {"two.obj"}, 0,
       kTwoMessageSource + "1 E MSG_1 \"Hello @1%s\"\n3 W MSG_3 " + reordered, ""},
      {"names from the symbol file", {"-s", "two.h", "two.obj"}, 0,
       kTwoMessageSource + "1 E MSG_HELLO \"Hello @1%s\"\n3 W MSG_SWAPPED " + reordered, ""},
      {"escapes",
       {"--symbols", "two.h", "escapes.obj"},
       0,
       "/* 1 messages from 1 to 1, checksum 7, compiled Mon Dec  7 21:00:00 2026 */\n\n"
       "0 I DATEFORMAT \"1\"\n0 I TIMEFORMAT \"1\"\n0 I NUMBERFORMAT \"1\"\n\n"
       "1 Z MSG_HELLO [a\\\\b] \"Say \\\"hi\\\"\\\\\\tnow\\n\"\n    \"then\\n\"\n",
       ""},
      {"bad magic", {"bad.obj"}, 1, "", "qomsgdump: bad.obj: not a message object file (bad magic)"},
      {"missing file", {"none.obj"}, 1, "", "qomsgdump: cannot read none.obj"},
      {"missing symbol file", {"-s", "none.h", "two.obj"}, 1, "", "cannot read symbol file none.h"},
      {"names from --symbols=FILE", {"--symbols=two.h", "two.obj"}, 0,
       kTwoMessageSource + "1 E MSG_HELLO \"Hello @1%s\"\n3 W MSG_SWAPPED " + reordered, ""},
      {"a directory", {"."}, 1, "", "qomsgdump: cannot read .: Is a directory\n"},
      {"no file", {}, 2, "", "qomsgdump: missing operand\nTry 'qomsgdump --help' for more information.\n"},
      {"two files", {"two.obj", "two.obj"}, 2, "", "qomsgdump: extra operand 'two.obj'\n"},
      {"no symbol file after -s", {"two.obj", "-s"}, 2, "", "qomsgdump: option '-s' requires an argument\n"},
      {"version", {"--version"}, 0, "qomsgdump (qokit) 1.1.0\n", ""},
  };
  RunRows(QOMSGDUMP_PATH, rows, dir);
  const RunResult help = RunProgram(QOMSGDUMP_PATH, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: qomsgdump [-s SYMFILE] OBJFILE\n", 0), 0u);
}

TEST(Vexdump, PrintsTablesAndSectionsAndReportsFaults) {
  TempDir dir;
  dir.Write("one.hlp", OneHeadingFile());
  dir.Write("legacy.hlp", LegacyFile());
  std::string crossed = FourHeadingFile();
  crossed.replace(32, 2, Be16(2));  // first entry's next subheading skips one
  dir.Write("crossed.hlp", crossed);
  std::string miscount = LegacyFile();
  miscount.replace(4, 2, Be16(3));
  dir.Write("miscount.hlp", miscount);

  const std::vector<ToolRow> rows = {
      {"current layout",
       {"one.hlp"},
       0,
       "Link entries: 2\n"
       "   0 clntid =     2 tocndx =     1 butndx =    72\n"
       "   1 clntid =     5 tocndx =     0 butndx =     7\n\n"
       "TOC entries: 1 (text at 72)\n"
       "   0 type = 1 sndx =   0 off =       72 len =      3 butt = Intro\n\n"
       "== 0 Intro [$H, links 5 7]\n|Welcome\n|  second line\n|\n",
       ""},
      {"legacy layout",
       {"--legacy", "legacy.hlp"},
       0,
       "Link entries: 2\n"
       "   0 clntid =     2 tocndx =     1 butndx =     1\n"
       "   1 clntid =     1 tocndx =     0 butndx =     2\n\n"
       "TOC entries: 1 (text at 72)\n"
       "   0 type = 1 sndx =   0 off =       72 len =      6 butt = Intro\n\n"
       "== 0 Intro [$H, links 1 2]\n|Hello\n|\n",
       ""},
      {"broken subheading chain", {"crossed.hlp"}, 1, "",
       "vexdump: crossed.hlp: TOC entry 0: next subheading is 2, the table order gives 1", false},
      {"legacy button count", {"--legacy", "miscount.hlp"}, 1, "",
       "vexdump: miscount.hlp: button count is 3, the table holds 1", false},
      {"missing file", {"none.hlp"}, 1, "", "vexdump: cannot read none.hlp"},
      {"a directory", {"."}, 1, "", "vexdump: cannot read .: Is a directory\n"},
      {"unknown option", {"--wide", "one.hlp"}, 2, "",
       "vexdump: unrecognized option '--wide'\nTry 'vexdump --help' for more information.\n"},
      {"version", {"--version"}, 0, "vexdump (qokit) 1.1.0\n", ""},
  };
  RunRows(VEXDUMP_PATH, rows, dir);
}

}  // namespace
