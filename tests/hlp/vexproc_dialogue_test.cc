// End-to-end runs of vexproc's dialogue, with standard input fed by the test.
#include <gtest/gtest.h>

#include <string>

#include "vexproc_run.h"

namespace {

const std::string kSource = "$H1%2%Intro$-Intro\ntext\n";

std::string InputPrompt(const std::string& current = "") {
  std::string s = "\n\n\nEnter the source tagged-text file name to be processed --> \n";
  if (!current.empty()) s += "The current file name is: " + current + ".  To accept this name, press Enter.\n";
  return s;
}

std::string OutputPrompt(const std::string& current = "") {
  std::string s = "\nEnter the output text file name to be generated --> \n";
  if (!current.empty()) s += "The current file name is: " + current + ".  To accept this name, press Enter.\n";
  return s;
}

const std::string kSizePrompt =
    "\nEnter the line length for which the help text was formatted.\n"
    "The default is 72.  To accept the default, press Enter.\n";
const std::string kRefusal = "Same as input file.. Please choose a different name --> \n";
const std::string kGiveUp = "\n I give up!  Exiting program...\n";
const std::string kEndOfInput = "\n End of input.  Exiting program...\n";

std::string Summary(const std::string& in, const std::string& out, int size) {
  return "\n\nYou selected source tag file: \"" + in + "\"" + "\nYou selected output text file:  \"" + out + "\"" +
         "\nYou selected line length:       " + std::to_string(size) + "\n\nAre these correct?\nEnter (y/n) --> ";
}

// The run's own output after a confirmed dialogue, for kSource.
std::string RunText(int size) {
  std::string s = "\n\nText Offset Length = 72\n\n\nLink entry is -> 1 <-...\n\nLink entry is -> 2 <-..."
                  "\n\nProcessing Header Tag ->\n\nOutput File Link Entries\n"
                  "\n   0 clntid =   2 tocndx =   1 butndx = " +
                  std::to_string(size) +
                  "\n\n   1 clntid =   1 tocndx =   0 butndx = 2\n\n\nOutput File TOC Entries\n"
                  "\n   0 type =  1 sndx =   0 off =     72 len =      2 butt = Intro\n";
  return s + Finished(0);
}

TEST(VexprocDialogue, ConfirmedPassesGiveTheExpectedTranscript) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string expected;
    int size;
  };
  const std::string plain = InputPrompt() + OutputPrompt() + kSizePrompt;
  const Case cases[] = {
      {"no arguments", {}, "a.txt\nb.hlp\n\ny\n", Banner() + plain + Summary("a.txt", "b.hlp", 72) + RunText(72), 72},
      {"one argument", {"a.txt"}, "a.txt\nb.hlp\n80\nYes please\n",
       Banner() + plain + Summary("a.txt", "b.hlp", 80) + RunText(80), 80},
      {"four arguments", {"a.txt", "b.hlp", "72", "x"}, "a.txt\nb.hlp\n7x\n\ny\n",
       Banner() + plain + Summary("a.txt", "b.hlp", 72) + RunText(72), 72},
      {"three digits in one go", {}, "a.txt\nb.hlp\n100\ny\n",
       Banner() + plain + Summary("a.txt", "b.hlp", 100) + RunText(100), 100},
      {"equal names on the command line", {"a.txt", "a.txt", "0"}, "a.txt\nb.hlp\n\ny\n",
       "Input and output file id's are the same.  Reenter.\n" + Banner() + plain + Summary("a.txt", "b.hlp", 72) +
           RunText(72),
       72},
      {"answer n, then Enter keeps the names", {}, "a.txt\nb.hlp\n\nn\n\n\n\ny\n",
       Banner() + plain + Summary("a.txt", "b.hlp", 72) + InputPrompt("a.txt") + OutputPrompt("b.hlp") + kSizePrompt +
           Summary("a.txt", "b.hlp", 72) + RunText(72),
       72},
      {"leading blank does not confirm", {}, "a.txt\nb.hlp\n\n y\n\n\n\nY\n",
       Banner() + plain + Summary("a.txt", "b.hlp", 72) + InputPrompt("a.txt") + OutputPrompt("b.hlp") + kSizePrompt +
           Summary("a.txt", "b.hlp", 72) + RunText(72),
       72},
      {"equal output refused three times", {}, "a.txt\na.txt\na.txt\na.txt\nb.hlp\n\ny\n",
       Banner() + InputPrompt() + OutputPrompt() + kRefusal + kRefusal + kRefusal + kSizePrompt +
           Summary("a.txt", "b.hlp", 72) + RunText(72),
       72},
      {"empty input name starts a new pass", {}, "\nb.hlp\n\na.txt\n\n\ny\n",
       Banner() + plain + "You must name both an input and an output file.  Try again.\n" + InputPrompt() +
           OutputPrompt("b.hlp") + kSizePrompt + Summary("a.txt", "b.hlp", 72) + RunText(72),
       72},
      {"line length out of range asks again", {}, "a.txt\nb.hlp\n0\n70000\n60\ny\n",
       Banner() + plain + "Line length 0 is not usable; it must be from 1 to 65535.\n" +
           "Line length 70000 is not usable; it must be from 1 to 65535.\n" + Summary("a.txt", "b.hlp", 60) +
           RunText(60),
       60},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("a.txt", kSource);
    const RunResult r = RunVexproc(dir, c.args, c.input);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, c.expected) << c.name;
    const std::string file = dir.Read("b.hlp");
    EXPECT_EQ(file.size(), 72u + 2u * static_cast<std::size_t>(c.size)) << c.name;
  }
}

// Dialogues that end the program before any file is opened.
TEST(VexprocDialogue, EndingsWithoutAnyFile) {
  struct Case {
    const char* name;
    std::string input;
    std::string tail;  // expected end of standard output
  };
  const Case cases[] = {
      {"fourth equal name", "a.txt\na.txt\na.txt\na.txt\na.txt\n", kRefusal + kRefusal + kRefusal + kGiveUp},
      {"fourth equal name in a later pass", "a.txt\na.txt\na.txt\nb.hlp\n\nn\n\na.txt\na.txt\n",
       OutputPrompt("b.hlp") + kRefusal + kGiveUp},
      {"no input at all", "", InputPrompt() + kEndOfInput},
      {"input ends at the output name", "a.txt\n", OutputPrompt() + kEndOfInput},
      {"input ends at the line length", "a.txt\nb.hlp\n", kSizePrompt + kEndOfInput},
      {"input ends after a bad line length", "a.txt\nb.hlp\n7x\n", kSizePrompt + kEndOfInput},
      {"input ends at the confirmation", "a.txt\nb.hlp\n\n", Summary("a.txt", "b.hlp", 72) + kEndOfInput},
      {"input ends after n", "a.txt\nb.hlp\n\nn", InputPrompt("a.txt") + kEndOfInput},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("a.txt", kSource);
    const RunResult r = RunVexproc(dir, {}, c.input);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_TRUE(r.out.ends_with(c.tail)) << c.name << ":\n" << r.out;
    EXPECT_FALSE(dir.Exists("b.hlp")) << c.name;
    EXPECT_FALSE(dir.Exists("struct.doc")) << c.name;
  }
}

TEST(VexprocDialogue, OverlongNameIsCutAndItsRestAnswersTheNextQuestion) {
  TempDir dir;
  const std::string longname(1030, 'n');
  dir.Write("a.txt", kSource);
  // The first 1023 bytes are the input name; the remaining 7 bytes are the output name.
  const RunResult r = RunVexproc(dir, {}, longname + "\n\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(OutputPrompt() + kSizePrompt), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(Summary(std::string(1023, 'n'), std::string(7, 'n'), 72)), std::string::npos);
}

}  // namespace
