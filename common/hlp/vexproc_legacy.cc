#include "vexproc_legacy.h"

#include <cctype>
#include <cstdio>

#include "help_file.h"
#include "help_session.h"
#include "help_tables.h"
#include "legacy_source.h"
#include "struct_listing.h"

namespace {

constexpr int kMaxEqualAnswers = 4;

void print_legacy_banner() {
  std::printf("\n%s", kInternalUseLine);
  std::printf("\n\n     This program was written to process a special tagged file provided");
  std::printf("\n       as input to generate an output file containing retrieval information");
  std::printf("\n       for the help of the older backup clients for DOS and Windows.");
  std::printf("\n\n*** ------------------------------------------------------------------- ***");
}

// One pass: input name, output name (refused while equal to the input name),
// confirmation. Any answer but y or Y ends the program.
Flow legacy_getfiles(NameBuffer& infile, NameBuffer& outfile) {
  print_legacy_banner();
  std::printf("\n\n\n\nEnter the source tag file name to be processed --> ");
  if (!read_answer(infile)) return Flow::kEndRun;
  std::printf("\n\nEnter the output text file name to be generated --> ");
  if (!read_answer(outfile)) return Flow::kEndRun;
  for (int equal = 1; same_names(infile, outfile); ++equal) {
    if (equal == kMaxEqualAnswers) {
      std::printf("%s", kGiveUpText);
      return Flow::kEndRun;
    }
    std::printf("\nSame as input file.. Please choose a different name --> ");
    if (!read_answer(outfile)) return Flow::kEndRun;
  }
  std::printf("\n\nYou selected source tag file  \"%s\"", infile);
  std::printf("\nYou selected output text file \"%s\"", outfile);
  std::printf("\n\nAre these correct?\nEnter (y/n) --> ");
  const int answer = read_reply_char();
  if (answer == EOF) {
    report_end_of_input();
    return Flow::kEndRun;
  }
  if (std::toupper(answer) != 'Y') {
    std::printf("\n Exiting program...\n");
    return Flow::kEndRun;
  }
  return Flow::kGoOn;
}

Flow take_legacy_arguments(int argc, char** argv, NameBuffer& infile, NameBuffer& outfile) {
  if (argc != 3) return legacy_getfiles(infile, outfile);
  if (!copy_name(infile, argv[1]) || !copy_name(outfile, argv[2])) return Flow::kEndRun;
  if (!same_names(infile, outfile)) return Flow::kGoOn;
  // Opening the input again for output would destroy it.
  std::printf("%s", kSameNamesLine);
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
  (void)closefiles(files, outfile);
  std::printf("\nFinished...\n");
  return 0;
}
