// The message checker's findings: rows of sources and the findings as
// qomsgcheck prints them, for every class of fault, the resynchronisation
// after syntax errors, the warnings and the translation check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check_runner.h"

namespace {

using qokit::check::Findings;
using qokit::check::LintResult;

std::string LintPrinted(const Sources& sources, bool warnings = true) {
  CheckRun run;
  Findings findings(warnings);
  LintResult result;
  EXPECT_TRUE(run.Lint(sources, findings, result));
  return Printed(findings);
}

struct Row {
  std::vector<std::string> sources;
  std::string findings;
};

void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) EXPECT_EQ(LintPrinted(Named(row.sources)), row.findings) << row.sources[0];
}

TEST(Lint, NamesEverySyntaxErrorAtItsEntry) {
  const std::string fiftyOne(51, 'S');
  ExpectRows({
      {{"x"}, "a.msg:1: error: expected a message number, found 'x'\n"},
      {{"1 E A \"a\"\n / 2 E B \"b\""}, "a.msg:1: error: A: '/' that begins no comment (at line 2)\n"},
      {{"12345678901 E A \"a\"\n2 E B \"b\""}, "a.msg:1: error: message number of more than 10 digits\n"},
      {{"\n50000 E A\n \"a\""}, "a.msg:2: error: A: message number above 49999\n"},
      {{"100 EW MSG_A \"a\""}, "a.msg:1: error: a letter ('W') directly after the severity letter\n"},
      {{"100\n e MSG_A\n \"a\" 2 E B \"b\""},
       "a.msg:1: error: MSG_A: 'e' is not a severity letter (one of ZTRKIWESL, upper case) (at line 2)\n"},
      {{"100 1 A \"a\""}, "a.msg:1: error: expected a severity letter (one of ZTRKIWESL) after the number, found '1'\n"},
      {{"1 E _MSG \"a\""}, "a.msg:1: error: expected a symbol (a letter, then letters, digits and '_'), found '_'\n"},
      {{"1 E " + fiftyOne + " \"a\""}, "a.msg:1: error: symbol longer than 50 characters\n"},
      {{"1 E A [x][y] \"a\""}, "a.msg:1: error: A: expected the text, a string in double quotes, found '['\n"},
      {{"1 E A \"" + std::string(1025, '1') + "\""}, "a.msg:1: error: A: text longer than 1024 bytes\n"},
      {{"1 E A [12345678] \"a\""}, "a.msg:1: error: A: response longer than 7 bytes\n"},
      {{"1 E A \"a\" x"},
       "a.msg:1: error: A: expected another string, '|' or the next entry's number after the text, found 'x'\n"},
      {{"1 E A"}, "a.msg:1: error: the sources end before the entry is complete\n"},
      {{"1 E A \"abc\n\n"}, "a.msg:1: error: A: the sources end inside a string or response (at line 3)\n"},
      {{"1 E A \"a\"\n\n/* open\n"}, "a.msg:1: error: A: the sources end inside a comment (at line 3)\n"},
      {{"/* open"}, "a.msg:1: error: the sources end inside a comment\n"},
      // The byte that broke an entry may stand in the next source.
      {{"1 E A \"a", "b\" x"},
       "a.msg:1: error: A: expected another string, '|' or the next entry's number after the text, found 'x' (at "
       "b.msg:1)\n"},
  });
}

TEST(Lint, ResynchronisesAtTheNextEntryStart) {
  ExpectRows({
      // Three broken entries of one file, each reported; the fourth is sound.
      {{"1 e A \"a\"\n2 E 9B \"b\"\n3 E C \"@2%s\"\n4 E D \"fine\"\n"},
       "a.msg:1: error: A: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"
       "a.msg:2: error: expected a symbol (a letter, then letters, digits and '_'), found '9'\n"
       "a.msg:3: error: C: argument numbers do not run from 1 to the number of inserts\n"},
      // Digits at line starts inside a string and a comment begin no entry;
      // entry 4 is read (entry 5's error shows the reader got there).
      {{"1 E A x \"text\n200 fake\"\n/*\n300 also fake */\n4 E B \"ok\"\n5 e C \"c\"\n"},
       "a.msg:1: error: A: expected the text, a string in double quotes, found 'x'\n"
       "a.msg:6: error: C: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"},
      // A response and a quote after the fault are read as what they are.
      {{"1 E 9A [a\"b] \"t\"\n2 e B \"x\""},
       "a.msg:1: error: expected a symbol (a letter, then letters, digits and '_'), found '9'\n"
       "a.msg:2: error: B: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"},
      {{"100 \"oops\"\n101 E B \"ok\"\n102 e C \"c\""},
       "a.msg:1: error: expected a severity letter (one of ZTRKIWESL) after the number, found '\"'\n"
       "a.msg:3: error: C: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"},
      // A missing severity, found at the next line's number, does not lose that entry.
      {{"100\n101 E B \"ok\"\n101 E C \"c\""},
       "a.msg:1: error: expected a severity letter (one of ZTRKIWESL) after the number, found '1' (at line 2)\n"
       "a.msg:3: error: C: message number 101 is already B's (a.msg:2)\n"},
      // A text too long: the reader skips the rest of that string.
      {{"1 E A \"" + std::string(1030, '1') + "\n2 E fake\"\n3 e C \"c\""},
       "a.msg:1: error: A: text longer than 1024 bytes\n"
       "a.msg:3: error: C: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"},
  });
}

TEST(Lint, NamesEveryInsertFault) {
  struct InsertRow {
    std::string text;
    std::string finding;
  };
  const InsertRow rows[] = {
      {"@x", "insert 1: argument number missing or below 1"},
      {"@101%s", "insert 1: argument number above 100"},
      {"@1%s@1%d", "insert 2: argument number of an earlier insert"},
      {"@1s", "insert 1: no '%' right after the argument number"},
      {"@1%%s", "insert 1: '%%' right after the argument number"},
      {"@1%", "insert 1: no conversion letter (one of cdeEfgGiopsuxX) after the '%'"},
      {"@1%5.2.3d", "insert 1: printf reads the flags, width, precision or length of the conversion otherwise"},
      {"@1%zu", "insert 1: the length modifier does not match the size of the argument type"},
      {"50% @1%s", "a '%' of the literal text must be written '%%' (printf would take it for conversion 1)"},
      {"@1%s @3%s", "argument numbers do not run from 1 to the number of inserts"},
      {"@1%s @2%Lf", "insert 2: long double (l or L before e, E, f, g, G) is not supported"},
      {"@1%*.*.*d", "insert 1: more than 2 '*' in the conversion"},
  };
  for (const InsertRow& row : rows) {
    EXPECT_EQ(LintPrinted(Named({"\n7 E SYM \"" + row.text + "\"\n8 E OK \"ok\""})),
              "a.msg:2: error: SYM: " + row.finding + "\n");
  }
}

TEST(Lint, NamesDuplicatesFormatCodesAndBothOfEach) {
  ExpectRows({
      {{"1 E A \"a\"\n1 E B \"b\"\n2 E A \"c\"\n0 I M \"1\"\n0 I M \"2\""},
       "a.msg:2: error: B: message number 1 is already A's (a.msg:1)\n"
       "a.msg:3: error: A: symbol already defined, as number 1 (a.msg:1)\n"
       "a.msg:4: warning: M: meta-symbol sets nothing (the object file takes DATEFORMAT, TIMEFORMAT, "
       "NUMBERFORMAT, PLURALFORMS and LANGUAGE)\n"
       "a.msg:5: error: M: meta-symbol already set (a.msg:4)\n"},
      // A duplicate's text is checked too.
      {{"1 E A \"a\"", "\n1 E B \"@2%s\""},
       "b.msg:2: error: B: message number 1 is already A's (a.msg:1)\n"
       "b.msg:2: error: B: argument numbers do not run from 1 to the number of inserts\n"},
      {{"0 I NUMBERFORMAT \"3a\"\n0 I TIMEFORMAT \"\"\n0 I DATEFORMAT \"6\"\n0 I DATEFORMAT \"05\""},
       "a.msg:4: error: DATEFORMAT: meta-symbol already set (a.msg:3)\n"
       "a.msg:3: error: DATEFORMAT: invalid date format code \"6\" (a number from 1 to 5)\n"
       "a.msg:2: error: TIMEFORMAT: invalid time format code \"\" (a number from 1 to 4)\n"
       "a.msg:1: error: NUMBERFORMAT: invalid number format code \"3a\" (a number from 1 to 6)\n"},
      {{"0 I DATEFORMAT \"05\"\n0 I TIMEFORMAT \"4\"\n0 I NUMBERFORMAT \"1\"\n1 E A \"a\""}, ""},
  });
}

TEST(Lint, WarnsOfWhatIsLikelyWrong) {
  ExpectRows({
      // 410 letters reckon at 1025 bytes once translated, 409 at 1023.
      {{"1 E A \"" + std::string(410, 'a') + "\"\n2 E B \"" + std::string(409, 'a') + "\""},
       "a.msg:1: warning: A: text of 410 bytes may pass the 1024-byte limit once translated (some 1025 bytes where "
       "letters take 2 or 3)\n"},
      // Conversions are not translated: 407 letters and "@1%lu" reckon at 1023
      // bytes (1026 if its two letters counted).
      {{"1 E A \"" + std::string(407, 'a') + "@1%lu\""}, ""},
      {{"1 E A \"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\"\n2 E B [\xc3] \"\xc3(\"\n3 E C \"\xe0\x80\xaf \xed\xa0\x80\""},
       "a.msg:2: warning: B: invalid UTF-8 in the text at byte 0\n"
       "a.msg:2: warning: B: invalid UTF-8 in the response at byte 0\n"
       "a.msg:3: warning: C: invalid UTF-8 in the text at byte 0\n"},
      {{"1 E A \"one \ntwo\tthree\"\n2 E B \"prompt: \""},
       "a.msg:1: warning: A: blank or tab before a line end in the text\n"},
      {{"1 E A\n\"\\q and\n\\x41 \\\\ \\s\""},
       "a.msg:1: warning: A: backslash before 'q' begins no escape and stays in the text (at line 2)\n"
       "a.msg:1: warning: A: backslash before 'x' begins no escape and stays in the text (at line 3)\n"},
      {{"0 I DATEFROMAT \"1\""},
       "a.msg:1: warning: DATEFROMAT: meta-symbol sets nothing (the object file takes DATEFORMAT, TIMEFORMAT, "
       "NUMBERFORMAT, PLURALFORMS and LANGUAGE)\n"},
  });
  EXPECT_EQ(LintPrinted(Named({"0 I X \"1\"\n1 E A \"a \n\"\n2 e B \"b\""}), false),
            "a.msg:4: error: B: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n");
}

// A translated text is as long as it will be: only base texts are reckoned
// at their translated length.
TEST(Lint, ReckonsOnlyBaseTextsAtTheirTranslatedLength) {
  for (const auto texts : {qokit::check::TextsOf::kBase, qokit::check::TextsOf::kTranslation}) {
    CheckRun run;
    qokit::check::Findings findings(true);
    qokit::check::LintResult result;
    ASSERT_TRUE(run.Lint(Named({"1 E A \"" + std::string(1000, 'a') + "\""}), findings, result, texts));
    EXPECT_EQ(findings.all().size(), texts == qokit::check::TextsOf::kBase ? 1u : 0u) << Printed(findings);
  }
}

TEST(Lint, RefusesACatalogueTooLargeToIndex) {
  // 4000 messages of 17 blocks each after 126 blocks of control and index:
  // message 3848 ends in block 126 + 17 x 3848 = 65542.
  std::string source;
  for (int n = 1; n <= 4000; ++n) {
    source.append(std::to_string(n)).append(" E M").append(std::to_string(n)).append(" \"");
    source.append(1000, '1').append("\"\n");
  }
  EXPECT_EQ(LintPrinted(Named({source})),
            "a.msg:3848: error: M3848: the object file would need 65542 blocks up to this message; at most 65535 can "
            "be indexed\n");
}

// A plural catalogue's other forms lie above its highest message and its
// plural table above them: 1909 messages of two 17-block forms fit with the
// table, 1910 do not (genobj: "would need 65537 blocks").
TEST(Lint, CountsThePluralTableInTheCatalogueSize) {
  for (const int messages : {1909, 1910}) {
    std::string source = "0 I PLURALFORMS \"nplurals=2; plural=(n != 1);\"\n";
    for (int n = 1; n <= messages; ++n) {
      source.append(std::to_string(n)).append(" E M").append(std::to_string(n)).append(" \"@1%d ");
      source.append(995, '1').append("\" | \"@1%d ").append(995, '2').append("\"\n");
    }
    EXPECT_EQ(LintPrinted(Named({source})),
              messages == 1909 ? ""
                               : "a.msg:1911: error: M1910: the object file would need 65537 blocks up to this message; "
                                 "at most 65535 can be indexed\n");
  }
}

TEST(Lint, KeepsTheMessagesAndTheHighestInsertCount) {
  CheckRun run;
  Findings findings;
  LintResult result;
  ASSERT_TRUE(run.Lint(Named({"0 I DATEFORMAT \"2\"\n5 W B [y] \"@2%d @1%*s\"", "\n\n3 E A \"@1%s @2%s @3%lu\""}),
                       findings, result));
  EXPECT_EQ(Printed(findings), "");
  EXPECT_EQ(result.maxInserts, 3);
  ASSERT_EQ(result.messages.size(), 2u);
  EXPECT_EQ(result.messages[0].symbol, "B");
  EXPECT_EQ(result.messages[0].signature, "%*s%d");
  EXPECT_EQ(result.messages[0].response, "y");
  EXPECT_EQ(result.messages[1].number, 3);
  EXPECT_EQ(result.messages[1].file, 1);
  EXPECT_EQ(result.messages[1].line, 3);
  EXPECT_EQ(result.messages[1].signature, "%s%s%lu");
}

TEST(Lint, ReportsSourcesItCannotRead) {
  CheckRun run;
  Findings findings;
  LintResult result;
  std::vector<const char*> names = {"missing.msg"};
  EXPECT_FALSE(qokit::check::LintSources(names, findings, result));
  EXPECT_EQ(Printed(findings), "qomsgcheck: missing.msg: cannot be read: No such file or directory\n");
  names.assign(16, "a.msg");
  EXPECT_FALSE(qokit::check::LintSources(names, findings, result));
  EXPECT_EQ(findings.errors(), 2);
}

struct TranslationRow {
  std::string base;
  std::string translated;
  std::string findings;
};

TEST(Translation, NamesEveryMismatch) {
  const TranslationRow rows[] = {
      {"1 I A \"a\"\n2 I B \"b\"", "1 I A \"x\"\n2 I B \"y\"", ""},
      {"1 I A \"a\"\n2 I B \"b\"", "1 I A \"x\"",
       "en.msg:2: error: B: not in the translation (a client asking for message 2 gets QOMSG_ERR_NOT_FOUND)\n"},
      {"1 I A \"a\"", "1 I A \"x\"\n2 I B \"y\"", "de.msg:2: error: B: not in the base\n"},
      {"1 I A \"a\"\n2 I B \"b\"", "1 I A \"x\"\n2 I B \"y\"\n3 I C \"z\"\n",
       "de.msg:3: error: C: not in the base\n"},
      {"1 I A \"a\"\n2 I B \"b\"", "1 I A \"x\"\n3 I B \"y\"",
       "de.msg:2: error: B: numbered 3 here, 2 in the base (en.msg:2)\n"},
      {"1 I A \"a\"\n2 I B \"b\"", "1 I A \"x\"\n2 I C \"y\"",
       "de.msg:2: error: C: number 2 is B in the base (en.msg:2)\n"},
      // The number of a base message that the translation has elsewhere.
      {"1 I A \"a\"\n2 I B \"b\"", "2 I A \"x\"\n1 I C \"y\"",
       "de.msg:1: error: A: numbered 2 here, 1 in the base (en.msg:1)\n"
       "de.msg:2: error: C: not in the base (whose message of this number is A)\n"
       "en.msg:2: error: B: not in the translation (a client asking for message 2 gets QOMSG_ERR_NOT_FOUND)\n"},
      {"1 I A \"@1%s\"", "1 I A \"@1%s @2%d\"",
       "de.msg:1: error: A: takes 2 argument(s), the base text 1 (en.msg:1)\n"},
      {"1 I A \"@1%d files in @2%s\"", "1 I A \"@1%s Dateien in @2%d\"",
       "de.msg:1: error: A: argument 1 is a string or pointer here, an int in the base (en.msg:1)\n"},
      {"1 I A \"@1%s: @2%ld\"", "1 I A \"@2%d: @1%s\"",
       "de.msg:1: error: A: argument 2 is an int here, a long in the base (en.msg:1)\n"},
      {"1 I A \"@1%*d\"", "1 I A \"@1%d\"",
       "de.msg:1: error: A: argument 1 takes 0 '*' int(s) before its value here, 1 in the base (en.msg:1)\n"},
      // Same arguments in another order and form agree.
      {"1 I A \"@1%-5s and @2%.3f\"", "1 I A \"@2%g, @1%s\"", ""},
      {"1 W A [yn] \"a\"", "1 E A [jn] \"x\"",
       "de.msg:1: warning: A: severity E here, W in the base (en.msg:1)\n"
       "de.msg:1: warning: A: response [jn] here, [yn] in the base (en.msg:1)\n"},
      // Meta-symbols are each catalogue's own settings.
      {"0 I DATEFORMAT \"1\"\n1 I A \"a\"", "0 I DATEFORMAT \"3\"\n1 I A \"x\"", ""},
      // A translated entry with a syntax error is reported once, not as missing too.
      {"1 I A \"a\"", "1 e A \"x\"",
       "de.msg:1: error: A: 'e' is not a severity letter (one of ZTRKIWESL, upper case)\n"},
      // An insert fault in the translation is the lint's; the signature is not compared.
      {"1 I A \"@1%s\"", "1 I A \"@2%s\"",
       "de.msg:1: error: A: argument numbers do not run from 1 to the number of inserts\n"},
  };
  for (const TranslationRow& row : rows) {
    CheckRun run;
    Findings findings;
    LintResult base, translated;
    ASSERT_TRUE(run.Lint({{"en.msg", row.base}}, findings, base));
    ASSERT_TRUE(run.Lint({{"de.msg", row.translated}}, findings, translated));
    qokit::check::CheckTranslation(base, translated, findings);
    EXPECT_EQ(Printed(findings), row.findings) << row.translated;
  }
}

}  // namespace
