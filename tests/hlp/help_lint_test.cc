// The help-source lint, one row per finding: source bytes, syntax and line
// length, and the diagnostics expected, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "lint_run.h"

namespace {

struct Row {
  const char* what;
  bool legacy;
  int line_length;
  std::string source;
  std::string expected;
};

// 47 ASCII bytes and a two-byte letter: the name ends one byte past the field.
const std::string kName47 = std::string(47, 'n');
const std::string kZhe = "\xD0\x96";

const Row kRows[] = {
    // Tagged syntax.
    {"clean tagged source", false, 72, "$H1%2%Intro$-Introduction\nSome text.\n$S3%4%More$-More\ntext\n", ""},
    {"line longer than the line length", false, 10, "$H1%2%A$-T\nabcdefghijklmno\n",
     "t.hlp:2:11: warning: the line length 10 cuts off 5 of the line's 15 bytes\n"},
    {"line read in two pieces", false, 8, "$H1%2%A$-T\nabcdefghijklmnopq\n",
     "t.hlp:2:9: warning: the line length 8 cuts off 7 of the line's 17 bytes\n"
     "t.hlp:2:16: warning: line of 17 bytes is read as 2 lines of at most 15 bytes\n"},
    {"line of exactly the read size leaves its line end as an empty piece", false, 8, "$H1%2%A$-T\nabcdefghijklmno\n",
     "t.hlp:2:9: warning: the line length 8 cuts off 7 of the line's 15 bytes\n"
     "t.hlp:2:16: warning: line of 15 bytes is read as 2 lines of at most 15 bytes\n"},
    {"UTF-8 character cut by the line length", false, 5, "$H%%A$-\nabcd" + kZhe + "z\n",
     "t.hlp:2:5: error: UTF-8 character cut by the line length 5: the help text keeps 1 of its 2 bytes\n"
     "t.hlp:2:6: warning: the line length 5 cuts off 2 of the line's 7 bytes\n"},
    {"UTF-8 character ending at the line length is whole", false, 6, "$H%%A$-\nabcd" + kZhe + "z\n",
     "t.hlp:2:7: warning: the line length 6 cuts off 1 of the line's 7 bytes\n"},
    {"UTF-8 character cut in the heading text", false, 10, "$H%%A$-aaaaaaaaa" + kZhe + "\n",
     "t.hlp:1:17: error: UTF-8 character cut by the line length 10: the help text keeps 1 of its 2 bytes\n"
     "t.hlp:1:18: warning: the line length 10 cuts off 1 of the line's 18 bytes\n"},
    {"UTF-8 character split between two pieces", false, 5, "$H%%A$-\nabcdefgh" + kZhe + "\n",
     "t.hlp:2:6: warning: the line length 5 cuts off 4 of the line's 10 bytes\n"
     "t.hlp:2:9: error: UTF-8 character split where the line is read in pieces: the next piece begins with 1 of its 2 "
     "bytes\n"
     "t.hlp:2:10: warning: line of 10 bytes is read as 2 lines of at most 9 bytes\n"},
    {"heading text that ends with its piece keeps the first part of a split character", false, 10,
     "$H%%ABCDE$-abcdefg" + kZhe + "\n",
     "t.hlp:1:19: error: UTF-8 character split where the line is read in pieces: this piece ends with 1 of its 2 "
     "bytes\n"
     "t.hlp:1:19: error: UTF-8 character split where the line is read in pieces: the next piece begins with 1 of its 2 "
     "bytes\n"
     "t.hlp:1:20: warning: line of 20 bytes is read as 2 lines of at most 19 bytes\n"},
    {"one character cut by the line length and split by the pieces", false, 10, "$H%%AB$-aaaaaaaaa\xE3\x81\x82z\n",
     "t.hlp:1:18: error: UTF-8 character cut by the line length 10: the help text keeps 1 of its 3 bytes\n"
     "t.hlp:1:18: error: UTF-8 character split where the line is read in pieces: the next piece begins with 1 of its 3 "
     "bytes\n"
     "t.hlp:1:19: warning: the line length 10 cuts off 1 of the line's 21 bytes\n"
     "t.hlp:1:20: warning: line of 21 bytes is read as 2 lines of at most 19 bytes\n"},
    {"bytes that were no character before the cut are not a cut character", false, 5, "$H%%A$-\nabcd\x96\x96z\n",
     "t.hlp:2:6: warning: the line length 5 cuts off 2 of the line's 7 bytes\n"},
    {"UTF-8 character cut by the button name limit", false, 72, "$H1%2%" + kName47 + kZhe + "$-T\n",
     "t.hlp:1:54: error: UTF-8 character cut by the 48-byte button name limit: the name keeps 1 of its 2 bytes\n"
     "t.hlp:1:55: warning: button name of 49 bytes is cut to 48\n"},
    {"button name of 48 bytes fits", false, 72, "$H1%2%" + kName47 + "n$-T\n", ""},
    {"carriage returns before line ends", false, 72, "$H1%2%A$-T\r\ntext\r\nno return\n",
     "t.hlp:1:11: warning: carriage return before the line end is kept in the help text\n"
     "t.hlp:2:5: warning: carriage return before the line end is kept in the help text\n"},
    {"carriage return beyond the line length is lost, not kept", false, 4, "$H%%$-\nabcd\r\n",
     "t.hlp:2:5: warning: the line length 4 cuts off 1 of the line's 5 bytes\n"},
    {"heading line without its button name end", false, 72, "$H1%2%Intro and text\n",
     "t.hlp:1:1: error: heading line without \"$-\" after its button name: the compiler rejects it\n"},
    {"link number out of range", false, 72, "$H40000%-1%A$-\n",
     "t.hlp:1:3: error: link number 40000 is outside the range 0 to 32767\n"
     "t.hlp:1:9: error: link number -1 is outside the range 0 to 32767\n"},
    {"link number not followed by a percent sign", false, 72, "$H1x%2%A$-\n",
     "t.hlp:1:4: error: link number is not followed by '%'\n"},
    {"empty link numbers read as 0", false, 72, "$H%%A$-\n", ""},
    {"subheading before the first major heading", false, 72, "dropped\n$S1%2%A$-x\n$H1%2%B$-y\n",
     "t.hlp:2:1: error: line starting with \"$\" before the first \"$H\" heading: the compiler rejects it\n"},
    {"piece of a split line that begins with a tag", false, 5, "$H%%A$-\nabcdefghi$H1%2%A$-\n",
     "t.hlp:2:6: warning: the line length 5 cuts off 4 of the line's 18 bytes\n"
     "t.hlp:2:10: error: the line is split here and its next piece, beginning \"$H\", is read as a heading\n"
     "t.hlp:2:10: warning: line of 18 bytes is read as 3 lines of at most 9 bytes\n"},
    {"no major heading", false, 72, "just text\n",
     "t.hlp: error: no \"$H\" heading: the compiler writes no help text\n"},
    {"unusable line length", false, 0, "$H%%A$-\n",
     "t.hlp: error: line length 0 is not usable; it must be from 1 to 65535\n"},

    // Legacy syntax.
    {"clean legacy source", true, 72,
     "$H1%2%Intro$H\nSome text $W wrapped\nline $W and $X, $$HOME.\n$S3%4%Sub$S\nmore\n", ""},
    {"legacy lines are not cut", true, 10, "$H1%2%Intro$H\n" + std::string(200, 'x') + "\n", ""},
    {"$HOME in the text", true, 72, "$H1%2%Intro$H\nSet $HOME first.\n",
     "t.hlp:2:5: error: \"$HOME\" is read as a \"$H\" heading tag\n"},
    {"$SYSTEM in the text", true, 72, "$H1%2%Intro$H\nsee $SYSTEM_DIR\n",
     "t.hlp:2:5: error: \"$SYSTEM_DIR\" is read as a \"$S\" heading tag\n"},
    {"$HOME before the first heading", true, 72, "cd $HOME\n$H1%2%Intro$H\ntext\n",
     "t.hlp:1:4: error: \"$HOME\" is read as a \"$H\" heading tag\n"},
    {"tag never closed", true, 72, "$H1%2%Intro$H\ntext\n$S3%4%Sub\nmore\n",
     "t.hlp:3:1: error: \"$S\" heading is never closed: its button name runs to the end of the source\n"},
    {"button name over a line end", true, 72, "$H1%2%Intro\nmore$H\ntext\n",
     "t.hlp:1:12: warning: button name of the \"$H\" heading runs over a line end; is its closing tag missing?\n"},
    {"link number with a byte that is not a digit", true, 72, "$H1x%2%A$H\n",
     "t.hlp:1:4: error: link number of the \"$H\" heading holds a byte that is not a digit\n"},
    {"link number without its percent sign", true, 72, "$H123456%2%A$H\n",
     "t.hlp:1:3: error: link number of the \"$H\" heading is not ended by '%' within 5 bytes\n"},
    {"tag letter inside a wrap region", true, 72, "$H1%2%A$H\n$W costs $S now$W\n",
     "t.hlp:2:10: error: \"$S\" inside a wrap region is copied as text, but the compiler's heading count takes it for "
     "a "
     "tag\n"},
    {"wrap region never closed", true, 72, "$H1%2%A$H\n$W text\n",
     "t.hlp:2:1: error: wrap region is never closed: every line end to the end of the source becomes a blank\n"},
    {"other tag letter inside a button name", true, 72, "$H1%2%A$Tb$H\n",
     "t.hlp:1:8: error: \"$T\" inside a button name is kept in it, but the compiler's heading count takes it for a "
     "tag\n"},
    {"headings before the first major heading", true, 72, "$S1%2%A$S\n$E1%2%B$E\n$H1%2%C$H\n",
     "t.hlp:1:1: error: \"$S\" before the first \"$H\" heading is skipped, but the compiler's heading count takes it "
     "for "
     "a tag\n"},
    {"UTF-8 character cut by the legacy button name limit", true, 72, "$H1%2%" + kName47 + kZhe + "$H\n",
     "t.hlp:1:54: error: UTF-8 character cut by the 48-byte button name limit: the name keeps 1 of its 2 bytes\n"
     "t.hlp:1:55: warning: button name of 49 bytes is cut to 48\n"},
    {"legacy carriage returns", true, 72, "skipped\r\n$H1%2%A$H\r\ntext\r\n",
     "t.hlp:2:10: warning: carriage return before the line end is kept in the help text\n"
     "t.hlp:3:5: warning: carriage return before the line end is kept in the help text\n"},
    {"no legacy major heading", true, 72, "$S1%2%A$S\n",
     "t.hlp:1:1: error: \"$S\" before the first \"$H\" heading is skipped, but the compiler's heading count takes it "
     "for "
     "a tag\n"
     "t.hlp: error: no \"$H\" heading: the compiler writes no help text\n"},
};

TEST(HelpLint, EachFindingAsARow) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    const Linted linted = RunLint(row.source, row.legacy, row.line_length, "t.hlp");
    EXPECT_EQ(linted.text, row.expected);
    EXPECT_EQ(linted.counts.errors, Occurrences(row.expected, ": error: "));
    EXPECT_EQ(linted.counts.warnings, Occurrences(row.expected, ": warning: "));
  }
}

}  // namespace
