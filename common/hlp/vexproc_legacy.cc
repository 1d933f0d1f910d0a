#include "vexproc_legacy.h"

#include <cctype>
#include <cstdio>

#include "help_file.h"
#include "help_messages.h"
#include "help_session.h"
#include "help_tables.h"
#include "legacy_source.h"
#include "struct_listing.h"

namespace qokit::help {

namespace {

constexpr int kMaxEqualAnswers = 4;

// One pass: input name, output name (refused while equal to the input name),
// confirmation. Any answer but y or Y ends the program.
Flow legacy_getfiles(NameBuffer& infile, NameBuffer& outfile) {
  say_legacy_banner();
  say_legacy_ask_source();
  if (!read_answer(infile)) return Flow::kEndRun;
  say_legacy_ask_output();
  if (!read_answer(outfile)) return Flow::kEndRun;
  for (int equal = 1; same_names(infile, outfile); ++equal) {
    if (equal == kMaxEqualAnswers) {
      say_give_up();
      return Flow::kEndRun;
    }
    say_legacy_choose_other_name();
    if (!read_answer(outfile)) return Flow::kEndRun;
  }
  say_legacy_selection(infile, outfile);
  say_are_these_correct();
  const int answer = read_reply_char();
  if (answer == EOF) {
    say_end_of_input();
    return Flow::kEndRun;
  }
  if (std::toupper(answer) != 'Y') {
    say_exiting();
    return Flow::kEndRun;
  }
  return Flow::kGoOn;
}

Flow take_legacy_arguments(int argc, char** argv, NameBuffer& infile, NameBuffer& outfile) {
  if (argc != 3) return legacy_getfiles(infile, outfile);
  if (!copy_name(infile, argv[1]) || !copy_name(outfile, argv[2])) return Flow::kEndRun;
  if (!same_names(infile, outfile)) return Flow::kGoOn;
  // Opening the input again for output would destroy it.
  say_same_names();
  return legacy_getfiles(infile, outfile);
}

}  // namespace

int vexproc_legacy_main(int argc, char** argv) {
  NameBuffer infile = "";
  NameBuffer outfile = "";
  if (take_legacy_arguments(argc, argv, infile, outfile) == Flow::kEndRun) return 0;

  HelpFiles files;
  if (openfiles(infile, outfile, files) == Flow::kEndRun) return 0;
  if (count_legacy_headings() && init_legacy_struct()) {
    process_legacy_source();
    write_struct_doc();
    write_struct();
  }
  (void)closefiles(files, infile, outfile);
  say_legacy_finished();
  return 0;
}

}  // namespace qokit::help
