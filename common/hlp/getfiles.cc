#include "getfiles.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "help_tables.h"
#include "nlsstr.h"

namespace {

void print_banner() {
  std::printf("\n%s\n", kInternalUseLine);
  std::printf("       This program was written to process a special tagged file provided\n");
  std::printf("       as input to generate an output file containing retrieval information\n");
  std::printf("       for the help of the backup clients for UNIX and Windows.\n");
  std::printf("\n*** ------------------------------------------------------------------- ***\n");
}

void offer_current(const NameBuffer& name) {
  if (name[0] != '\0') std::printf("The current file name is: %s.  To accept this name, press Enter.\n", name);
}

// Reads the line length. Enter alone keeps the default; an answer whose
// number is followed by other characters is read again, and the last
// conversion stands. The whole answer line is read, so any number of digits
// can be given in one go.
Flow read_line_size() {
  for (;;) {
    NameBuffer answer;
    bool valid = true;
    long value = 0;
    do {
      if (!read_answer(answer)) return Flow::kEndRun;
      if (answer[0] == '\0') {
        value = kDefaultLineSize;
        break;
      }
      char* end = nullptr;
      value = std::strtol(answer, &end, 10);
      valid = *end == '\0';
    } while (!valid);
    if (check_line_size(value)) {
      linesize = static_cast<int32_t>(value);
      return Flow::kGoOn;
    }
  }
}

// Reads the confirmation: its first character decides, the rest of the line
// is dropped. kEndRun at the end of input before any answer.
Flow read_confirmation(char& resp) {
  const int first = read_reply_char();
  if (first == EOF) {
    report_end_of_input();
    return Flow::kEndRun;
  }
  resp = static_cast<char>(std::toupper(first));
  for (int c = first; c != '\n' && c != EOF;) c = std::getchar();
  return Flow::kGoOn;
}

}  // namespace

bool check_line_size(long value) {
  if (value >= kMinLineSize && value <= kMaxLineSize) return true;
  std::printf("Line length %ld is not usable; it must be from %ld to %ld.\n", value, kMinLineSize, kMaxLineSize);
  return false;
}

Flow getfiles(NameBuffer& infile, NameBuffer& outfile) {
  NameBuffer myin = "";
  NameBuffer myout = "";
  int tries = 0;
  char resp = 'N';

  print_banner();
  while (resp != 'Y') {
    // The previous pass's answers are what Enter keeps.
    nls.nlsStrCpy(outfile, myout);
    nls.nlsStrCpy(infile, myin);

    std::printf("\n\n\nEnter the source tagged-text file name to be processed --> \n");
    offer_current(myin);
    if (!read_answer(myin)) return Flow::kEndRun;
    if (myin[0] == '\0') nls.nlsStrCpy(myin, infile);

    std::printf("\nEnter the output text file name to be generated --> \n");
    offer_current(myout);
    for (;;) {
      if (!read_answer(myout)) return Flow::kEndRun;
      if (myout[0] == '\0') nls.nlsStrCpy(myout, outfile);
      if (!same_names(myout, myin)) break;
      if (tries++ > 2) {
        std::printf("%s", kGiveUpText);
        return Flow::kEndRun;
      }
      std::printf("Same as input file.. Please choose a different name --> \n");
    }
    if (myin[0] != '\0') nls.nlsStrCpy(infile, myin);
    if (myout[0] != '\0') nls.nlsStrCpy(outfile, myout);

    std::printf("\nEnter the line length for which the help text was formatted.\n");
    std::printf("The default is 72.  To accept the default, press Enter.\n");
    if (read_line_size() == Flow::kEndRun) return Flow::kEndRun;

    if (infile[0] == '\0' || outfile[0] == '\0') {
      std::printf("You must name both an input and an output file.  Try again.\n");
      continue;
    }
    std::printf("\n\nYou selected source tag file: \"%s\"", infile);
    std::printf("\nYou selected output text file:  \"%s\"", outfile);
    std::printf("\nYou selected line length:       %d", linesize);
    std::printf("\n\nAre these correct?\nEnter (y/n) --> ");
    if (read_confirmation(resp) == Flow::kEndRun) return Flow::kEndRun;
  }
  return Flow::kGoOn;
}
