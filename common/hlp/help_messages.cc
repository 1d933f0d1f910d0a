#include "help_messages.h"

#include <cstdarg>
#include <cstring>

#include <string_view>

#include "getfiles.h"
#include "help_session.h"
#include "help_syntax.h"
#include "help_tables.h"
#include "version_line.h"

namespace qokit::help {

namespace {

// The banner line that marks the program as internal to its maker.
constexpr char kInternalUseLine[] =
    "*** ------------------------ For the maker's internal use only --------------------- ***";

}  // namespace

void help_report(std::FILE* to, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(to, format, args);
  va_end(args);
}

namespace {

void say_help(bool legacy) {
  if (legacy) {
    help_report(stdout, "%s",
                "Usage: vexproc-legacy [SOURCE HELPFILE]\n"
                "Compile a help source in the legacy tag syntax ($H, $S, $T and $E headings,\n"
                "$W wrap regions) into a help file for older clients, and write its\n"
                "structure listing to struct.doc in the current directory. Without both file\n"
                "names the program asks for them.\n\n");
  } else {
    help_report(stdout, "%s",
                "Usage: vexproc [SOURCE HELPFILE [LINESIZE]]\n"
                "Compile a tagged help source ($H and $S heading lines) into a help file of\n"
                "LINESIZE-byte lines (default 72), and print its structure listing, also\n"
                "written to struct.doc in the current directory. Without both file names the\n"
                "program asks for them and for the line length.\n\n");
  }
  help_report(stdout, "%s",
              "  --help     show this help and exit\n"
              "  --version  show the version and exit\n\n"
              "Every fault is reported on standard output; the exit status is always 0.\n");
}
static_assert(format::kDefaultLineSize == 72, "the help text names the default line length");

}  // namespace

bool said_help_or_version(int argc, char** argv, bool legacy, const char* version) {
  const std::string_view only = argc == 2 ? argv[1] : "";
  if (only == "--help") say_help(legacy);
  const char* program = legacy ? "vexproc-legacy" : "vexproc";
  if (only == "--version") std::fputs(format::VersionLine(program, version).c_str(), stdout);
  return only == "--help" || only == "--version";
}

void say_end_of_input() { help_report(stdout, "\n End of input.  Exiting program...\n"); }
void say_name_too_long(const char* name) {
  help_report(stdout, "File name longer than %zu characters: %.40s...\n", kNameSize - 1, name);
}
void say_same_names() { help_report(stdout, "Input and output file id's are the same.  Reenter.\n"); }
void say_give_up() { help_report(stdout, "\n I give up!  Exiting program...\n"); }
void say_are_these_correct() { help_report(stdout, "\n\nAre these correct?\nEnter (y/n) --> "); }

void say_cannot_open_input(const char* file) {
  help_report(stdout, "\n\nFile \"%s\" can not be opened for input...", file);
}
void say_open_reason(int error_number) { help_report(stdout, "\nReason: %s\n", std::strerror(error_number)); }
void say_output_is_input(const char* file) {
  help_report(stdout, "\n\nFile \"%s\" is the input file and can not be opened for output...", file);
}
void say_cannot_open_output(const char* file) {
  help_report(stdout, "\n\nFile \"%s\" can not be opened for output...", file);
}
void say_help_file_too_large(const char* file) {
  help_report(stdout, "\n\nFile \"%s\" would exceed 4 GiB, beyond what its offsets can address.", file);
}
void say_help_file_incomplete(const char* file, int error_number) {
  help_report(stdout, "\n\nFile \"%s\" could not be written completely: %s\n", file, std::strerror(error_number));
}
void say_source_unread(const char* file) {
  help_report(stdout, "\n\nFile \"%s\" could not be read completely; the help file is not written.\n", file);
}
void say_no_table_memory() { help_report(stdout, "Unable to allocate memory for file prolog.\n"); }
void say_cannot_open_listing(bool line_end) {
  help_report(stdout, "\n\nFile struct.doc can not be opened for output...%s", line_end ? "\n" : "");
}
void say_listing_incomplete(int error_number) {
  help_report(stdout, "\n\nFile struct.doc could not be written completely: %s\n", std::strerror(error_number));
}

void list_link_heading(std::FILE* out) { help_report(out, "\n\nOutput File Link Entries\n"); }
void list_link(std::FILE* out, int index, unsigned clntid, unsigned tocndx, unsigned butndx, bool three_wide) {
  if (three_wide)
    help_report(out, "\n %3d clntid = %3u tocndx = %3u butndx = %3u\n", index, clntid, tocndx, butndx);
  else
    help_report(out, "\n %3d clntid = %3u tocndx = %3u butndx = %u\n", index, clntid, tocndx, butndx);
}
void list_toc_heading(std::FILE* out) { help_report(out, "\n\nOutput File TOC Entries\n"); }
void list_toc(std::FILE* out, int index, int type, unsigned sndx, unsigned long offset, unsigned long length,
              int name_length, const char* name) {
  help_report(out, "\n %3d type = %2d sndx = %3u off = %6lu len = %6lu butt = %.*s\n", index, type, sndx, offset,
              length, name_length, name);
}

void say_banner() {
  help_report(stdout,
              "\n%s\n"
              "       This program was written to process a special tagged file provided\n"
              "       as input to generate an output file containing retrieval information\n"
              "       for the help of the backup clients for UNIX and Windows.\n"
              "\n*** ------------------------------------------------------------------- ***\n",
              kInternalUseLine);
}
void say_ask_source() { help_report(stdout, "\n\n\nEnter the source tagged-text file name to be processed --> \n"); }
void say_offer_current(const char* name) {
  help_report(stdout, "The current file name is: %s.  To accept this name, press Enter.\n", name);
}
void say_ask_output() { help_report(stdout, "\nEnter the output text file name to be generated --> \n"); }
void say_choose_other_name() { help_report(stdout, "Same as input file.. Please choose a different name --> \n"); }
void say_ask_line_size() {
  help_report(stdout, "\nEnter the line length for which the help text was formatted.\n");
  help_report(stdout, "The default is 72.  To accept the default, press Enter.\n");
}
void say_line_size_unusable(long value) {
  help_report(stdout, "Line length %ld is not usable; it must be from %ld to %ld.\n", value, format::kMinLineSize,
              format::kMaxLineSize);
}
void say_need_both_names() { help_report(stdout, "You must name both an input and an output file.  Try again.\n"); }
void say_selection(const char* infile, const char* outfile, int32_t line_size) {
  help_report(stdout, "\n\nYou selected source tag file: \"%s\"", infile);
  help_report(stdout, "\nYou selected output text file:  \"%s\"", outfile);
  help_report(stdout, "\nYou selected line length:       %d", static_cast<int>(line_size));
}

void say_no_line_buffer() { help_report(stdout, "Unable to allocate memory for the line buffer.\n"); }
void say_too_many_heading_lines(long count) {
  help_report(stdout, "Too many heading lines: %ld found, at most %ld allowed.\n", count, format::kMaxHeadings);
}
void say_text_offset(uint32_t offset) { help_report(stdout, "\n\nText Offset Length = %u\n", offset); }
void say_link_out_of_range(long line, long value) {
  help_report(stdout, "Line %ld: Link number %ld is outside the allowable range\n", line, value);
}
void say_bad_header_format(long line, const char* text) {
  help_report(stdout, "Line %ld: Invalid format for header line: %s\n", line, text);
}
void say_link_entry(long value) { help_report(stdout, "\n\nLink entry is -> %ld <-...", value); }
void say_processing_header() { help_report(stdout, "\n\nProcessing Header Tag ->"); }
void say_invalid_header(long line, const char* text) {
  help_report(stdout, "Line %ld: Invalid header line:\n%s\n", line, text);
}
void say_button_name_too_long(long line, int length, const char* name) {
  help_report(stdout, "Line %ld: Button name exceeds max: %.*s\n", line, length, name);
}
void say_subhead_first(int line) {
  help_report(stdout, "Check input: subhead appears before major head\n");
  help_report(stdout, "at line %d\n", line);
  help_report(stdout, "Processing will continue at first major heading.\n");
}
void say_no_major_heading() { help_report(stdout, "Check input: no major heading (\"$H\" line) in the source.\n"); }
void say_more_heading_lines(long line) {
  help_report(stdout, "Line %ld: More heading lines than counted; processing stops.\n", line);
}
void say_finished(int32_t error_count) {
  help_report(stdout, "\nFinished... %d errors found.\n", static_cast<int>(error_count));
}

void say_legacy_banner() {
  help_report(stdout,
              "\n%s"
              "\n\n     This program was written to process a special tagged file provided"
              "\n       as input to generate an output file containing retrieval information"
              "\n       for the help of the older backup clients for DOS and Windows."
              "\n\n*** ------------------------------------------------------------------- ***",
              kInternalUseLine);
}
void say_legacy_ask_source() { help_report(stdout, "\n\n\n\nEnter the source tag file name to be processed --> "); }
void say_legacy_ask_output() { help_report(stdout, "\n\nEnter the output text file name to be generated --> "); }
void say_legacy_choose_other_name() {
  help_report(stdout, "\nSame as input file.. Please choose a different name --> ");
}
void say_legacy_selection(const char* infile, const char* outfile) {
  help_report(stdout, "\n\nYou selected source tag file  \"%s\"", infile);
  help_report(stdout, "\nYou selected output text file \"%s\"", outfile);
}
void say_exiting() { help_report(stdout, "\n Exiting program...\n"); }
void say_too_many_headings(long count) {
  help_report(stdout, "Too many headings: %ld found, at most %ld allowed.\n", count, format::kMaxHeadings);
}
void say_no_legacy_heading() { help_report(stdout, "\nNo \"$H\" heading in the source: no help text written.\n"); }
void say_more_headings() {
  help_report(stdout, "\nMore headings than counted: the rest of the source is not compiled.\n");
}
void say_legacy_finished() { help_report(stdout, "\nFinished...\n"); }

}  // namespace qokit::help
