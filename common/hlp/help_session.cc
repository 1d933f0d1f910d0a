#include "help_session.h"

#include <cerrno>
#include <cstring>

#include "file_bytes.h"
#include "help_messages.h"
#include "help_output.h"
#include "help_tables.h"
#include "qokit/nls/nlsstr.h"
#include "same_file.h"

namespace qokit::help {

bool read_answer(NameBuffer& answer) {
  std::fflush(stdout);
  if (std::fgets(answer, static_cast<int>(kNameSize), stdin) == nullptr) {
    answer[0] = '\0';
    say_end_of_input();
    return false;
  }
  answer[nls.nlsStrcSpn(answer, "\n")] = '\0';
  return true;
}

int read_reply_char() {
  std::fflush(stdout);
  return std::getchar();
}

bool copy_name(NameBuffer& target, const char* source) {
  if (std::strlen(source) >= kNameSize) {
    say_name_too_long(source);
    return false;
  }
  nls.nlsStrCpy(target, source);
  return true;
}

bool same_names(const char* a, const char* b) { return nls.nlsStrCmp(a, b) == 0; }

Flow openfiles(const char* infile, const char* outfile, HelpFiles& files) {
  files.source.reset(io::OpenInputFile(infile, "r"));
  if (!files.source) {
    say_cannot_open_input(infile);
    // A directory opens, but is no source.
    if (errno == EISDIR) say_open_reason(errno);
    return Flow::kEndRun;
  }
  // Names are compared as typed, so "a.txt" and "./a.txt" pass that test;
  // opening the source itself for output would destroy it.
  if (io::IsSameFile(infile, outfile)) {
    say_output_is_input(outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  if (!files.help.Open(outfile)) {
    say_cannot_open_output(outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  helpState.f1 = files.source.get();
  helpState.f2 = files.help.stream();
  help_output_start();
  return Flow::kGoOn;
}

void rewind_source() {
  helpState.source_unread = helpState.source_unread || std::ferror(helpState.f1) != 0;
  std::rewind(helpState.f1);
}

bool closefiles(HelpFiles& files, const char* infile, const char* outfile) {
  // A read error ends the source as its end would: the help file would lack the rest.
  const bool unread = helpState.source_unread || (files.source && std::ferror(files.source.get()) != 0);
  files.source.reset();
  helpState.f1 = nullptr;
  helpState.f2 = nullptr;
  if (files.help.stream() == nullptr) return true;
  if (unread) {
    say_source_unread(infile);
    return false;
  }
  // A write that failed before the tables' rewind no longer shows in the
  // stream's error flag; the sticky status still has it.
  if (help_output_too_large()) say_help_file_too_large(outfile);
  if (!help_output_ok()) {
    say_help_file_incomplete(outfile, help_output_error());
    return false;
  }
  if (!files.help.Commit()) {
    say_help_file_incomplete(outfile, errno);
    return false;
  }
  return true;
}

}  // namespace qokit::help
