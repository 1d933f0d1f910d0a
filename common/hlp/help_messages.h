// Every fixed text of the two help compilers, each written once, next to the
// one format-checked helper that prints them. The dialogue, the progress lines
// and the diagnostics go to standard output; the structure listing goes to the
// stream it is written to.
#pragma once

#include <cstdint>
#include <cstdio>

namespace qokit::help {

[[gnu::format(printf, 2, 3)]] void help_report(std::FILE* to, const char* format, ...);

// Both programs: --help or --version as the only argument (otherwise the
// dialogue would start) prints the help or the version; true when it did.
[[nodiscard]] bool said_help_or_version(int argc, char** argv, bool legacy, const char* version);

// Both programs: the dialogue.
void say_end_of_input();
void say_name_too_long(const char* name);
void say_same_names();
void say_give_up();
void say_are_these_correct();

// Both programs: the files and the tables.
void say_cannot_open_input(const char* file);
// After say_cannot_open_input when the name opened but is no file to read.
void say_open_reason(int error_number);
void say_output_is_input(const char* file);
void say_cannot_open_output(const char* file);
void say_help_file_too_large(const char* file);
// A write or close of the output failed: the file and the reason (errno).
void say_help_file_incomplete(const char* file, int error_number);
void say_source_unread(const char* file);
void say_no_table_memory();
// The legacy program's report of an unopened listing has no line end.
void say_cannot_open_listing(bool line_end);
void say_listing_incomplete(int error_number);

// The structure listing. A link entry's last field has three columns in the
// stored listing and is unpadded in the printed one.
void list_link_heading(std::FILE* out);
void list_link(std::FILE* out, int index, unsigned clntid, unsigned tocndx, unsigned butndx, bool three_wide);
void list_toc_heading(std::FILE* out);
void list_toc(std::FILE* out, int index, int type, unsigned sndx, unsigned long offset, unsigned long length,
              int name_length, const char* name);

// vexproc only: the dialogue.
void say_banner();
void say_ask_source();
void say_offer_current(const char* name);
void say_ask_output();
void say_choose_other_name();
void say_ask_line_size();
void say_line_size_unusable(long value);
void say_need_both_names();
void say_selection(const char* infile, const char* outfile, int32_t line_size);
// vexproc only: the tagged source and the run.
void say_no_line_buffer();
void say_too_many_heading_lines(long count);
void say_text_offset(uint32_t offset);
void say_link_out_of_range(long line, long value);
void say_bad_header_format(long line, const char* text);
void say_link_entry(long value);
void say_processing_header();
void say_invalid_header(long line, const char* text);
void say_button_name_too_long(long line, int length, const char* name);
void say_subhead_first(int line);
void say_no_major_heading();
void say_more_heading_lines(long line);
void say_finished(int32_t error_count);

// vexproc-legacy only.
void say_legacy_banner();
void say_legacy_ask_source();
void say_legacy_ask_output();
void say_legacy_choose_other_name();
void say_legacy_selection(const char* infile, const char* outfile);
void say_exiting();
void say_too_many_headings(long count);
void say_no_legacy_heading();
void say_more_headings();
void say_legacy_finished();

}  // namespace qokit::help
