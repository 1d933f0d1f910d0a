#include "source_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "compiler_state.h"
#include "source_bytes.h"

using namespace qokit::msgcomp;

namespace {

// Every record of one pass, one line each, then the final result and stderr.
struct Pass {
  std::vector<std::string> records;
  int result = 0;
  std::string errors;
};

// With `where`, each record ends with where the reader stands after it.
Pass ReadAll(const std::vector<std::string>& sources, bool where = false) {
  CompilerStateTest t(sources);
  qokit::msgcomp::RewindSources();
  Pass pass;
  qokit::msgcomp::MessageRecord r;
  testing::internal::CaptureStderr();
  while ((pass.result = qokit::msgcomp::ReadMessage(r)) == 0) {
    pass.records.push_back(std::to_string(r.msgNum) + " " + std::to_string(r.severity) + " " + r.symbol + " [" +
                           r.response + "] <" + r.text + "> " + std::to_string(r.srcIndex) + ":" +
                           std::to_string(r.line));
    if (where) {
      SyncSourcePosition();
      pass.records.back() += " @" + std::to_string(t.state().curSourceFile) + ":" + std::to_string(t.state().curSourceLine);
    }
  }
  pass.errors = testing::internal::GetCapturedStderr();
  return pass;
}

using Lines = std::vector<std::string>;

TEST(ReadMessage, AcceptsValidEntries) {
  struct Row {
    std::vector<std::string> sources;
    Lines records;
  };
  const std::string fifty(50, 'S');
  const Row rows[] = {
      {{""}, {}},
      {{"  /* only a comment */\n\n /**/ "}, {}},
      {{"100E MSG_A \"text\""}, {"100 6 MSG_A [] <text> 0:1"}},
      {{"00012 I MSG_A \"x\""}, {"12 4 MSG_A [] <x> 0:1"}},
      {{"1 Z A\"a\" 2 T B[r]\"b\"\n3 R C \"c\"4 K D \"d\""},
       {"1 0 A [] <a> 0:1", "2 1 B [r] <b> 0:1", "3 2 C [] <c> 0:2", "4 3 D [] <d> 0:2"}},
      {{"5 W MSG_1 /* c */ \"abc\" /* between */ \"def\""}, {"5 5 MSG_1 [] <abcdef> 0:1"}},
      {{"\n\n7 S\n SYM\n [Yes]\n \"two\nlines\""}, {"7 7 SYM [Yes] <two\nlines> 0:3"}},
      {{"8 L SYM [] \"\""}, {"8 8 SYM [] <> 0:1"}},
      {{"9 E " + fifty + " \"x\""}, {"9 6 " + fifty + " [] <x> 0:1"}},
      {{"1 E S \"\\\"\\'\\?\\\\\\a\\b\\f\\n\\r\\s\\t\\v\""}, {"1 6 S [] <\"'?\\\a\b\f\n\r \t\v> 0:1"}},
      {{"1 E S \"\\q\\\n\""}, {"1 6 S [] <\\q\\\n> 0:1"}},
      {{"1 E S [a \"b\nc]\"t\""}, {"1 6 S [a \"b\nc] <t> 0:1"}},
      {{"1 E S [\\s\\t] \"/* not a comment */\""}, {"1 6 S [ \t] </* not a comment */> 0:1"}},
      {{"0 I DATEFORMAT \"3\""}, {"0 4 DATEFORMAT [] <3> 0:1"}},
      // The sources are one stream: a string and a symbol may run across them.
      {{"\n4 E SPLIT \"first ", "half\" 5 E SYM", "BOL \"x\""},
       {"4 6 SPLIT [] <first half> 0:2", "5 6 SYMBOL [] <x> 1:1"}},
  };
  for (const Row& row : rows) {
    const Pass pass = ReadAll(row.sources);
    EXPECT_EQ(pass.result, -1) << row.sources[0] << pass.errors;
    EXPECT_EQ(pass.records, row.records) << row.sources[0];
    EXPECT_EQ(pass.errors, "");
  }
}

TEST(ReadMessage, ReportsTheFirstSyntaxError) {
  struct Row {
    std::vector<std::string> sources;
    int recordsBefore;
    std::string message;
  };
  const std::string fiftyOne(51, 'S');
  const std::string longText(1025, 't');
  const Row rows[] = {
      {{"x"}, 0, "Missing or invalid message number - file a.msg, line 1.\n"},
      {{"1 E A \"a\"\n / 2 E B \"b\""}, 0, "Missing or invalid message number - file a.msg, line 2.\n"},
      {{"12345678901 E A \"a\""}, 0, "Missing or invalid message number - file a.msg, line 1.\n"},
      {{"\n50000 E A\n \"a\""}, 0, "Missing or invalid message number - file a.msg, line 2.\n"},
      {{"1 E A \"a\" x"}, 0, "Missing or invalid message number - file a.msg, line 1.\n"},
      {{"1 E A \"a\"/x"}, 0, "Missing or invalid message number - file a.msg, line 1.\n"},
      {{"100 EW MSG_A \"a\""}, 0, "Missing or invalid severity code - file a.msg, line 1.\n"},
      {{"100\n e MSG_A\n \"a\" 2"}, 0, "Missing or invalid severity code - file a.msg, line 2.\n"},
      {{"100 1 A \"a\""}, 0, "Missing or invalid severity code - file a.msg, line 1.\n"},
      {{"100 /x E A \"a\""}, 0, "Missing or invalid severity code - file a.msg, line 1.\n"},
      {{"1 E _MSG \"a\""}, 0, "Missing or invalid message symbol - file a.msg, line 1.\n"},
      {{"1 E 9A \"a\""}, 0, "Missing or invalid message symbol - file a.msg, line 1.\n"},
      {{"1 E " + fiftyOne + " \"a\""}, 0, "Missing or invalid message symbol - file a.msg, line 1.\n"},
      {{"1 E A [x][y] \"a\""}, 0, "Missing or invalid message text string - file a.msg, line 1.\n"},
      {{"1 E A /x \"a\""}, 0, "Missing or invalid message text string - file a.msg, line 1.\n"},
      {{"1 E A text"}, 0, "Missing or invalid message text string - file a.msg, line 1.\n"},
      {{"1 E A \"" + longText + "\""}, 0, "Missing or invalid message text string - file a.msg, line 1.\n"},
      {{"1 E A [12345678] \"a\""}, 0, "Missing or invalid response string - file a.msg, line 1.\n"},
      {{"1 E A [1234567\\s] \"a\""}, 0, "Missing or invalid response text string - file a.msg, line 1.\n"},
      {{"1 E A \"a\" 2 E B \"b\" /* open", "\n"}, 1, "End of file b.msg reached prematurely.\n"},
      {{"1 E A"}, 0, "End of file a.msg reached prematurely.\n"},
      {{"1 E A \"abc\\"}, 0, "End of file a.msg reached prematurely.\n"},
      {{"1 E A /*/ \"a\""}, 0, "End of file a.msg reached prematurely.\n"},
      {{"1"}, 0, "End of file a.msg reached prematurely.\n"},
  };
  for (const Row& row : rows) {
    const Pass pass = ReadAll(row.sources);
    EXPECT_EQ(pass.result, 1) << row.sources[0];
    EXPECT_EQ(static_cast<int>(pass.records.size()), row.recordsBefore) << row.sources[0];
    EXPECT_EQ(pass.errors, row.message) << row.sources[0];
  }
}

TEST(ReadMessage, ToleratesBinaryBytes) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) & 0xff));
  const Pass pass = ReadAll({"1 E A \"" + std::string("a\0b\xff", 4) + "\" 2 E B \"", garbage});
  EXPECT_EQ(pass.result, 1);
  ASSERT_EQ(pass.records.size(), 1u);
  EXPECT_EQ(pass.records[0], "1 6 A [] <ab\xff> 0:1");  // NUL bytes do not enter a text
}

// Plain entries are read in one sweep over their bytes; everything else byte
// by byte. On catalogues with random edits (which move entries in and out of
// the plain kind) both readings give the same records, positions, result and
// messages.
TEST(ReadMessage, OneSweepReadsPlainEntriesAsByteByByte) {
  const std::string seed =
      "/* head */\n1 I MSG_ONE \"One.\"\n2 E MSG_TWO [Yes] \"Two @1%s.\"\n"
      "3 W MSG_THREE \"@2%d \" /* c */ \"@1%s\"\n\n7 S MSG_SEVEN\n  \"Seven\nlines.\"\n"
      "8 L MSG_EIGHT [a b] \"\\n esc\\q\"\n0 I DATEFORMAT \"3\" 9 T LAST \"end\"\n";
  const std::string pieces[] = {" ", "\n", "\"", "\\", "/", "*", "[", "]", "9", "9999999999", "A", "_", std::string(1, '\0'), "\xe9"};
  std::mt19937 rng(3);
  for (int i = 0; i < 2000; ++i) {
    std::string text = seed;
    for (std::size_t edits = rng() % 4; edits > 0; --edits) {
      const std::size_t at = rng() % (text.size() + 1);
      if (rng() % 2 == 0) {
        text.insert(at, pieces[rng() % std::size(pieces)]);
      } else {
        text.erase(at, 1 + rng() % 3);
      }
    }
    // One to three sources, cut anywhere.
    std::vector<std::string> sources;
    for (std::size_t left = rng() % 3; left > 0 && !text.empty(); --left) {
      const std::size_t cut = rng() % text.size();
      sources.push_back(text.substr(0, cut));
      text.erase(0, cut);
    }
    sources.push_back(text);
    const Pass swept = ReadAll(sources, true);
    SetPlainEntrySweep(false);
    const Pass bytewise = ReadAll(sources, true);
    SetPlainEntrySweep(true);
    ASSERT_EQ(swept.records, bytewise.records) << testing::PrintToString(sources);
    ASSERT_EQ(swept.result, bytewise.result) << testing::PrintToString(sources);
    ASSERT_EQ(swept.errors, bytewise.errors) << testing::PrintToString(sources);
  }
}

// Lines are counted from the last place asked for, forwards or backwards,
// and from where a reader says it has counted to; each answer is the count
// of line feeds before the place, plus one.
TEST(SourceBytes, LinesFromAnyPlaceInAnyOrder) {
  std::mt19937 rng(9);
  std::string bytes[3];
  for (std::string& b : bytes)
    for (std::size_t n = rng() % 400; n > 0; --n) b += "ab\n\n \r"[rng() % 6];
  FILE* streams[3];
  for (int i = 0; i < 3; ++i) {
    streams[i] = fmemopen(bytes[i].data(), bytes[i].size(), "r");
    if (bytes[i].empty()) streams[i] = std::tmpfile();
  }
  SourceBytes text;
  ASSERT_EQ(text.Load(streams, 3).file, -1);
  for (int i = 0; i < 2000; ++i) {
    const int file = static_cast<int>(rng() % 3);
    const std::size_t at = rng() % (bytes[file].size() + 1);
    const long expected = 1 + static_cast<long>(std::count(bytes[file].begin(), bytes[file].begin() + static_cast<long>(at), '\n'));
    ASSERT_EQ(text.LineOf(file, text.Begin(file) + at), expected) << file << " " << at;
    ASSERT_EQ(std::string(text.Begin(file), text.End(file)), bytes[file]);
    if (rng() % 5 == 0) text.Mark(file, text.Begin(file) + at, expected);
  }
  for (FILE* f : streams) std::fclose(f);
}

TEST(IsAllDigits, DigitsOnlyAndNonEmpty) {
  EXPECT_EQ(qokit::msgcomp::IsAllDigits("05"), 1);
  EXPECT_EQ(qokit::msgcomp::IsAllDigits(""), 0);
  EXPECT_EQ(qokit::msgcomp::IsAllDigits("3a"), 0);
  EXPECT_EQ(qokit::msgcomp::IsAllDigits("-1"), 0);
}

// The writers' symbol rule against the parser: a name passes IsSourceSymbol
// exactly when an entry written with it reads back with it as its symbol.
TEST(IsSourceSymbol, AgreesWithTheParser) {
  const std::string names[] = {"A", "a_1", "Z9_", std::string(50, 'L'), std::string(51, 'L'), "", "_A", "9A", "A-B",
                               "A B", "A.B", std::string("A\0B", 3), "\xc4", "A\xc4"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Pass pass = ReadAll({std::string("1 E ").append(name).append(" \"x\"\n")});
    const bool readBack = pass.result == -1 && pass.records.size() == 1 &&
                          pass.records[0] == std::string("1 6 ").append(name).append(" [] <x> 0:1");
    EXPECT_EQ(qokit::msgcomp::IsSourceSymbol(name), readBack) << pass.errors;
  }
}

}  // namespace
