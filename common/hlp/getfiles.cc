#include "getfiles.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "help_messages.h"
#include "help_tables.h"
#include "qokit/nls/nlsstr.h"

namespace qokit::help {

namespace {

void offer_current(const NameBuffer& name) {
  if (name[0] != '\0') say_offer_current(name);
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
        value = format::kDefaultLineSize;
        break;
      }
      char* end = nullptr;
      value = std::strtol(answer, &end, 10);
      valid = *end == '\0';
    } while (!valid);
    if (check_line_size(value)) {
      helpState.linesize = static_cast<int32_t>(value);
      return Flow::kGoOn;
    }
  }
}

// Reads the confirmation: its first character decides, the rest of the line
// is dropped. kEndRun at the end of input before any answer.
Flow read_confirmation(char& resp) {
  const int first = read_reply_char();
  if (first == EOF) {
    say_end_of_input();
    return Flow::kEndRun;
  }
  resp = static_cast<char>(std::toupper(first));
  for (int c = first; c != '\n' && c != EOF;) c = std::getchar();
  return Flow::kGoOn;
}

}  // namespace

bool check_line_size(long value) {
  if (value >= format::kMinLineSize && value <= format::kMaxLineSize) return true;
  say_line_size_unusable(value);
  return false;
}

Flow getfiles(NameBuffer& infile, NameBuffer& outfile) {
  NameBuffer myin = "";
  NameBuffer myout = "";
  int tries = 0;
  char resp = 'N';

  say_banner();
  while (resp != 'Y') {
    // The previous pass's answers are what Enter keeps.
    nls.nlsStrCpy(outfile, myout);
    nls.nlsStrCpy(infile, myin);

    say_ask_source();
    offer_current(myin);
    if (!read_answer(myin)) return Flow::kEndRun;
    if (myin[0] == '\0') nls.nlsStrCpy(myin, infile);

    say_ask_output();
    offer_current(myout);
    for (;;) {
      if (!read_answer(myout)) return Flow::kEndRun;
      if (myout[0] == '\0') nls.nlsStrCpy(myout, outfile);
      if (!same_names(myout, myin)) break;
      if (tries++ > 2) {
        say_give_up();
        return Flow::kEndRun;
      }
      say_choose_other_name();
    }
    if (myin[0] != '\0') nls.nlsStrCpy(infile, myin);
    if (myout[0] != '\0') nls.nlsStrCpy(outfile, myout);

    say_ask_line_size();
    if (read_line_size() == Flow::kEndRun) return Flow::kEndRun;

    if (infile[0] == '\0' || outfile[0] == '\0') {
      say_need_both_names();
      continue;
    }
    say_selection(infile, outfile, helpState.linesize);
    say_are_these_correct();
    if (read_confirmation(resp) == Flow::kEndRun) return Flow::kEndRun;
  }
  return Flow::kGoOn;
}

}  // namespace qokit::help
