// The failure tables of qogenmsg, each row one real run in a fresh directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

const std::string kUsage =
    "\nCorrect syntax:\n"
    "\n    qogenmsg gensym {symfile} {srcfile1} [{srcfile2} ...]\n"
    "\n    qogenmsg regensym {symfile} {srcfile1} [{srcfile2} ...]\n"
    "\n    qogenmsg genobj {symfile} {objfile} {srcfile1} [{srcfile2} ...]\n\n";
const std::string kFailedWait = "\nCompile failed.\nHit enter to continue...";
const std::string kFailed = "\nCompile failed.\n";

struct Case {
  std::string name;
  std::map<std::string, std::string> files;
  std::vector<std::string> args;
  std::string err;
  int status;
  std::string out = "";
};

std::string Names(int from, int count) {
  std::string words;
  for (int i = from; i < from + count; ++i) words += " s" + std::to_string(i) + ".msg";
  return words;
}

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    TempDir dir;
    for (int i = 0; i < 16; ++i) dir.Write(std::string("s").append(std::to_string(i)).append(".msg"), "");
    for (const auto& [name, content] : c.files) dir.Write(name, content);
    const RunResult r = RunProgram(QOGENMSG_PATH, c.args, InDir(dir.path()));
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.status, c.status) << c.name;
    // A failed run writes no symbol or object file and leaves no temporary file.
    if (c.status != 0) {
      for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string leaf = entry.path().filename().string();
        EXPECT_TRUE(c.files.count(leaf) == 1 || (leaf.rfind("s", 0) == 0 && leaf.ends_with(".msg")))
            << c.name << ": " << leaf;
      }
    }
  }
}

TEST(CommandLine, FailureTable) {
  const std::string sixteen = Names(0, 16);
  RunCases({
      {"no arguments", {}, {}, "Too few arguments specified.\n" + kUsage, 255},
      {"subcommand only", {}, {"gensym"}, "Too few arguments specified.\n" + kUsage, 255},
      {"no source", {}, {"gensym", "sym.h"}, "Too few arguments specified.\n" + kUsage, 255},
      {"unknown and too few", {}, {"gen", "sym.h"}, "Too few arguments specified.\n" + kUsage, 255},
      {"genobj no source", {}, {"genobj", "sym.h", "obj.bin"}, "Too few arguments specified.\n" + kUsage, 255},
      {"unknown", {}, {"gen", "sym.h", "a.msg"}, "Unknown subcommand - GEN.\n" + kUsage, 255},
      {"unknown with many names", {}, {"frob", "h", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
                                       "13", "14", "15", "16"},
       "Unknown subcommand - FROB.\n" + kUsage, 255},
      {"overlong subcommand", {}, {std::string(150, 'g'), "sym.h", "a.msg"},
       "Unknown subcommand - " + std::string(99, 'G') + ".\n" + kUsage, 255},
      {"sixteen sources", {}, {"gensym", "sym.h", "s0.msg", "s1.msg", "s2.msg", "s3.msg", "s4.msg", "s5.msg",
                               "s6.msg", "s7.msg", "s8.msg", "s9.msg", "s10.msg", "s11.msg", "s12.msg", "s13.msg",
                               "s14.msg", "s15.msg"},
       "Too many arguments specified.\n" + kUsage, 255},
      {"fifteen sources", {}, {"regensym", "sym.h", "s0.msg", "s1.msg", "s2.msg", "s3.msg", "s4.msg", "s5.msg",
                               "s6.msg", "s7.msg", "s8.msg", "s9.msg", "s10.msg", "s11.msg", "s12.msg", "s13.msg",
                               "s14.msg"},
       "", 0},
      {"duplicate source", {}, {"gensym", "s0.msg", "s1.msg", "s1.msg"}, "Duplicate file name specified.\n" + kUsage,
       255},
      {"symbol file is a source", {}, {"gensym", "s0.msg", "s0.msg"}, "Duplicate file name specified.\n" + kUsage, 255},
      {"object file is the symbol file", {}, {"genobj", "s.h", "s.h", "s0.msg"},
       "Duplicate file name specified.\n" + kUsage, 255},
      {"paths are not interpreted", {}, {"regensym", "sym.h", "s0.msg", "./s0.msg"}, "", 0},
      {"missing source", {}, {"gensym", "sym.h", "s0.msg", "none.msg"},
       "Unable to open source file \"none.msg\" for reading.\n", 1},
      {"mixed case subcommand", {{"a.msg", "1 E A \"a\""}}, {"GenSym", "sym.h", "a.msg"}, "", 0,
       "        Generated 1 symbols; highest message number was 1.\n"},
  });
}

TEST(CommandLine, ResponseFiles) {
  std::string sixteenWords = "sym.h\n";
  for (int i = 0; i < 15; ++i) sixteenWords.append("s").append(std::to_string(i)).append(".msg").append(i % 4 == 0 ? "\n" : "  \t ");
  RunCases({
      {"response words replace the arguments", {{"list", "sym.h\n  a.msg\n"}, {"a.msg", "1 E A \"a\""}},
       {"gensym", "@list", "extra", "words"}, "", 0, "        Generated 1 symbols; highest message number was 1.\n"},
      {"sixteen words over many lines", {{"list", sixteenWords}}, {"regensym", "@list"}, "", 0},
      {"seventeen words", {{"list", sixteenWords + " s15.msg"}}, {"regensym", "@list"},
       "Too many arguments specified.\n" + kUsage, 255},
      {"many more words than the list holds", {{"list", sixteenWords + std::string(5000, 'w') + Names(0, 200)}},
       {"gensym", "@list"}, "Too many arguments specified.\n" + kUsage, 255},
      {"genobj with fifteen sources", {{"list", "s.h o.bin" + Names(0, 14) + "\ns15.msg"}}, {"genobj", "@list"},
       "Too many arguments specified.\n" + kUsage, 255},
      {"one word", {{"list", "sym.h"}}, {"gensym", "@list"}, "Too few arguments specified.\n" + kUsage, 255},
      {"empty", {{"list", ""}}, {"gensym", "@list"}, "Too few arguments specified.\n" + kUsage, 255},
      {"missing", {}, {"gensym", "@nolist"},
       "Unable to open responce file \"nolist\" for reading.\nReason: No such file or directory\n"
       "Error processing response file.\n" + kUsage,
       255},
      {"empty name", {}, {"gensym", "@"},
       "Unable to open responce file \"\" for reading.\nReason: No such file or directory\n"
       "Error processing response file.\n" + kUsage,
       255},
      {"duplicate names in the file", {{"list", "sym.h s1.msg s1.msg"}}, {"gensym", "@list"},
       "Duplicate file name specified.\n" + kUsage, 255},
  });
}

TEST(Sources, FailureTable) {
  const std::string two = "1 E A \"a\"\n2 E B \"b\"\n";
  RunCases({
      {"syntax error", {{"a.msg", "1 E A \"a\"\n2 e B \"b\"\n3"}}, {"gensym", "s.h", "a.msg"},
       "Missing or invalid severity code - file a.msg, line 2.\n" + kFailedWait, 255},
      {"syntax error regensym", {{"a.msg", "1 E A \"a\" x"}}, {"regensym", "s.h", "a.msg"},
       "Missing or invalid message number - file a.msg, line 1.\n" + kFailed, 255},
      {"bad symbol", {{"a.msg", "1 E _A \"a\""}}, {"regensym", "s.h", "a.msg"},
       "Missing or invalid message symbol - file a.msg, line 1.\n" + kFailed, 255},
      {"bad text", {{"a.msg", "1 E A\n[r][s] \"a\""}}, {"regensym", "s.h", "a.msg"},
       "Missing or invalid message text string - file a.msg, line 2.\n" + kFailed, 255},
      {"long response", {{"a.msg", "1 E A [12345678] \"a\""}}, {"regensym", "s.h", "a.msg"},
       "Missing or invalid response string - file a.msg, line 1.\n" + kFailed, 255},
      {"escape after a full response", {{"a.msg", "1 E A [1234567\\n] \"a\""}}, {"regensym", "s.h", "a.msg"},
       "Missing or invalid response text string - file a.msg, line 1.\n" + kFailed, 255},
      {"premature end", {{"a.msg", "1 E A \"a\""}, {"b.msg", "2 E"}}, {"gensym", "s.h", "a.msg", "b.msg"},
       "End of file b.msg reached prematurely.\n" + kFailedWait, 255},
      {"duplicate numbers",
       {{"a.msg", "1 E A \"a\"\n2 E B \"b\"\n"}, {"b.msg", "\n\n2 E C \"c\"\n2 E B \"b\"\n"}},
       {"gensym", "s.h", "a.msg", "b.msg"},
       "Error: Duplicate message numbers detected for the following symbol pairs:\n"
       "       (B, 2)    file a.msg, line 2\n"
       "       (C, 2)    file b.msg, line 3\n"
       "Error: Duplicate message numbers detected for the following symbol pairs:\n"
       "       (B, 2)    file a.msg, line 2\n"
       "       (B, 2)    file b.msg, line 4\n" + kFailedWait,
       255},
      {"duplicate symbols", {{"a.msg", two + "7 E A \"again\"\n"}}, {"regensym", "s.h", "a.msg"},
       "Error: Duplicate symbol names detected for the following symbol pairs:\n"
       "       (A, 1)    file a.msg, line 1\n"
       "       (A, 7)    file a.msg, line 3\n" + kFailed,
       255},
      {"duplicate meta-symbols", {{"a.msg", "0 I DATEFORMAT \"1\"\n" + two + "0 I DATEFORMAT \"2\"\n"}},
       {"gensym", "s.h", "a.msg"},
       "Error: Duplicate meta-symbol names detected:\n"
       "       DATEFORMAT    file a.msg, line 1\n"
       "       DATEFORMAT    file a.msg, line 4\n" + kFailedWait,
       255},
      {"bad insert", {{"a.msg", "1 E A \"a\"\n\n2 E B \"@1%s @1%d\"\n\n3 E C \"c\""}}, {"gensym", "s.h", "a.msg"},
       "curSourceLine: 5 \ncurSourceFile: 0 \nConversion 2: duplicate argument number\n" + kFailedWait, 1},
      {"argument number below 1", {{"a.msg", "1 E A \"@x%s\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nConversion 1: argument number is less than 1\n" + kFailed, 1},
      {"no percent sign", {{"a.msg", "1 E A \"@1s\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nConversion 1:percent sign must follow the argument number\n" + kFailed,
       1},
      {"double percent sign", {{"a.msg", "1 E A \"@1%%d\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nConversion 1: double percent sign...\n" + kFailed, 1},
      {"inserts out of sequence", {{"a.msg", "1 E A \"@2%s\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nArgument numbers do not form a sequence starting with 1" + kFailed, 1},
      {"argument number over 100", {{"a.msg", "1 E A \"@101%s\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nConversion 1: argument number is greater than 100\n" + kFailed, 1},
      {"percent at the end", {{"a.msg", "1 E A \"@1%\"\n"}}, {"regensym", "s.h", "a.msg"},
       "curSourceLine: 1 \ncurSourceFile: 1 \nConversion 1: no conversion character follows the percent sign\n" +
           kFailed,
       1},
      {"only meta-symbols", {{"a.msg", "0 I DATEFORMAT \"1\""}}, {"regensym", "s.h", "a.msg"}, "", 0},
      {"unwritable symbol file", {{"a.msg", two}}, {"gensym", "no/such/dir/s.h", "a.msg"},
       "Unable to open symbol file \"no/such/dir/s.h\" for writing.\n" + kFailedWait, 1},
  });
}

const std::string kGoodHeader =
    "#define _MSGSYM_CHECKSUM 134\n#define _MSGSYM_TIMESTAMP \"x\"\n#define A 1\n#define B 2\n";

TEST(SymbolFile, ReaderFailureTable) {
  const std::string sources = "1 E A \"a\"\n2 E B \"b\"\n";
  auto row = [&](std::string name, std::string header, std::string err) {
    return Case{name, {{"s.h", header}, {"a.msg", sources}}, {"gensym", "s.h", "a.msg"}, err + kFailedWait, 255};
  };
  RunCases({
      row("second checksum", kGoodHeader + "#define _MSGSYM_CHECKSUM 134\n",
          "Duplicate checksum line found in symbol file s.h, line 5.\n"),
      row("checksum zero", "#define _MSGSYM_CHECKSUM 0\n", "Bad checksum line found in symbol file s.h, line 1.\n"),
      row("checksum missing value", "\n#define _MSGSYM_CHECKSUM\n",
          "Bad checksum line found in symbol file s.h, line 2.\n"),
      row("checksum too big", "#define _MSGSYM_CHECKSUM 99999999999999999999\n",
          "Bad checksum line found in symbol file s.h, line 1.\n"),
      row("second timestamp", kGoodHeader + "#define _MSGSYM_TIMESTAMP \"y\"\n",
          "Duplicate timestamp line found in symbol file s.h, line 5.\n"),
      row("second max inserts", "#define _MAX_INSERTS 1\n#define _MAX_INSERTS 1\n",
          "Duplicate maximum inserts line found in symbol file s.h, line 2.\n"),
      row("define alone", "#define\n", "Bad message number found in symbol file s.h, line 1.\n"),
      row("symbol without number", "#define A\n", "Bad message number found in symbol file s.h, line 1.\n"),
      row("negative number", "#define A -4\n", "Bad message number found in symbol file s.h, line 1.\n"),
      row("duplicate symbol", "#define A 1\n#define A 2\n",
          "Duplicate message symbol found in symbol file s.h, line 2.\n"),
      row("symbol over 50 characters", "#define " + std::string(51, 'N') + " 1\n",
          "Bad message symbol found in symbol file s.h, line 1.\n"),
      row("no checksum", "#define _MSGSYM_TIMESTAMP \"x\"\n#define A 1\n", "Missing checksum in symbol file s.h.\n"),
      row("no timestamp", "#define _MSGSYM_CHECKSUM 66\n#define A 1\n", "Missing timestamp in symbol file s.h.\n"),
      row("inconsistent", "#define _MSGSYM_CHECKSUM 135\n#define _MSGSYM_TIMESTAMP \"x\"\n#define A 1\n#define B 2\n",
          "Checksum is inconsistent in symbol file s.h.\n"),
      row("binary", std::string("#define \xff\x01\x02 \x80\n\0\0#define", 23),
          "Bad message number found in symbol file s.h, line 1.\n"),
  });
}

TEST(SymbolFile, HandEditedFileReadsBack) {
  // Other spacing, reordered lines, extra comments and no _MAX_INSERTS line;
  // words after the third are ignored and a 300-byte line is read in pieces.
  const std::string header = "/* edited */\n#define   B   2 trailing words\n" + std::string(300, 'x') +
                             "\n\t#define A 1\n#define _MSGSYM_TIMESTAMP whatever\n#define _MSGSYM_CHECKSUM +134\n";
  RunCases({
      {"unchanged mapping", {{"s.h", header}, {"a.msg", "1 E A \"a\"\n2 E B \"b\"\n"}}, {"gensym", "s.h", "a.msg"},
       "", 0},
  });
}

}  // namespace

namespace {

// Damaged inputs of every kind end in a reported failure or a clean run, never
// in a crash (the sanitizer build turns any bad access into a crash).
TEST(Robustness, MutatedCataloguesAndSymbolFiles) {
  const std::string catalogue = ReadFileBytes(std::filesystem::path(QOKIT_SOURCE_DIR) / "examples/messages/client.msg");
  ASSERT_FALSE(catalogue.empty());
  std::mt19937 rng(11);
  for (int round = 0; round < 24; ++round) {
    TempDir dir;
    std::string source = catalogue;
    for (int edits = 1 + static_cast<int>(rng() % 6); edits > 0; --edits) {
      const size_t at = rng() % source.size();
      switch (rng() % 4) {
        case 0: source[at] = static_cast<char>(rng()); break;
        case 1: source.erase(at, rng() % 40); break;
        case 2: source.insert(at, std::string(rng() % 2000, static_cast<char>("@%\\\"[]/*0 "[rng() % 11]))); break;
        default: source.resize(at); break;
      }
      if (source.empty()) source.push_back('1');
    }
    dir.Write("a.msg", source);
    dir.Write("s.h", round % 2 == 0 ? "#define _MSGSYM_CHECKSUM 5\n#define _MSGSYM_TIMESTAMP\n#define A\x01 4\n"
                                    : std::string(700, '#') + "\n#define " + std::string(300, 'Q') + " 3\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"gensym", "s.h", "a.msg"},
                                                 std::vector<std::string>{"regensym", "s.h", "a.msg"},
                                                 std::vector<std::string>{"genobj", "s.h", "o.bin", "a.msg"}}) {
      const RunResult r = RunProgram(QOGENMSG_PATH, args, InDir(dir.path()));
      EXPECT_TRUE(r.status == 0 || r.status == 1 || r.status == 255) << args[0] << " round " << round << ": " << r.err;
      if (r.status != 0) {
        EXPECT_NE(r.err.find("Compile failed."), std::string::npos) << r.err;
      }
    }
  }
}

}  // namespace
