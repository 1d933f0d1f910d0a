#include "help_session.h"

#include <sys/stat.h>

#include <cstring>

#include "help_output.h"
#include "help_tables.h"
#include "nlsstr.h"

bool read_answer(NameBuffer& answer) {
  std::fflush(stdout);
  if (std::fgets(answer, static_cast<int>(kNameSize), stdin) == nullptr) {
    answer[0] = '\0';
    report_end_of_input();
    return false;
  }
  answer[nls.nlsStrcSpn(answer, "\n")] = '\0';
  return true;
}

int read_reply_char() {
  std::fflush(stdout);
  return std::getchar();
}

void report_end_of_input() { std::printf("\n End of input.  Exiting program...\n"); }

bool copy_name(NameBuffer& target, const char* source) {
  if (std::strlen(source) >= kNameSize) {
    std::printf("File name longer than %zu characters: %.40s...\n", kNameSize - 1, source);
    return false;
  }
  nls.nlsStrCpy(target, source);
  return true;
}

bool same_names(const char* a, const char* b) { return nls.nlsStrCmp(a, b) == 0; }

Flow openfiles(const char* infile, const char* outfile, HelpFiles& files) {
  files.source.reset(std::fopen(infile, "r"));
  if (!files.source) {
    std::printf("\n\nFile \"%s\" can not be opened for input...", infile);
    return Flow::kEndRun;
  }
  // Names are compared as typed, so "a.txt" and "./a.txt" pass that test;
  // opening the source itself for output would destroy it.
  struct stat in_stat {};
  struct stat out_stat {};
  if (fstat(fileno(files.source.get()), &in_stat) == 0 && stat(outfile, &out_stat) == 0 &&
      in_stat.st_dev == out_stat.st_dev && in_stat.st_ino == out_stat.st_ino) {
    std::printf("\n\nFile \"%s\" is the input file and can not be opened for output...", outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  if (!files.help.Open(outfile)) {
    std::printf("\n\nFile \"%s\" can not be opened for output...", outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  f1 = files.source.get();
  f2 = files.help.stream();
  help_output_start();
  return Flow::kGoOn;
}

bool closefiles(HelpFiles& files, const char* outfile) {
  files.source.reset();
  f1 = nullptr;
  f2 = nullptr;
  if (files.help.stream() == nullptr) return true;
  // A write that failed before the tables' rewind no longer shows in the
  // stream's error flag; the sticky status still has it.
  if (help_output_too_large())
    std::printf("\n\nFile \"%s\" would exceed 4 GiB, beyond what its offsets can address.", outfile);
  if (!help_output_ok() || !files.help.Commit()) {
    std::printf("\n\nFile \"%s\" could not be written completely...\n", outfile);
    return false;
  }
  return true;
}
