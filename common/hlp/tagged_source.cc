#include "tagged_source.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "help_messages.h"
#include "help_output.h"
#include "help_session.h"
#include "help_syntax.h"
#include "help_tables.h"
#include "qokit/nls/nlsstr.h"

namespace qokit::help {

namespace {

// One source line into input_line: at most 2 * linesize - 1 bytes.
bool read_line() {
  std::vector<char>& line = helpState.input_line;
  return std::fgets(line.data(), static_cast<int>(line.size()), helpState.f1) != nullptr;
}

bool begins_with(char second) {
  return helpState.input_line[0] == format::kTagMark && helpState.input_line[1] == second;
}

// Writes input_line up to its line feed as one record of exactly linesize bytes.
void write_text_record() {
  static std::vector<char> record;
  const auto width = static_cast<std::size_t>(helpState.linesize);
  record.assign(width, ' ');
  std::size_t used = nls.nlsStrcSpn(helpState.input_line.data(), "\n");
  if (used > width) used = width;
  std::memcpy(record.data(), helpState.input_line.data(), used);
  help_write(record.data(), width);
}

uint32_t record_offset() {
  const HelpCompilerState& st = helpState;
  return (st.file_line_num - st.file_first_line_num) * static_cast<uint32_t>(st.linesize) + st.text_off;
}

}  // namespace

bool count_help_recs() {
  HelpCompilerState& st = helpState;
  long count = 0;
  while (read_line()) {
    if (begins_with(format::kMajorTag) || begins_with(format::kSubTag)) ++count;
  }
  rewind_source();
  if (count > format::kMaxHeadings) {
    say_too_many_heading_lines(count);
    ++st.errors;
    st.help_rec_cnt = 0;
    return false;
  }
  st.help_rec_cnt = static_cast<int16_t>(count);
  return true;
}

int init_struct() {
  HelpCompilerState& st = helpState;
  st.text_off = format::table_bytes(static_cast<uint32_t>(st.help_rec_cnt));
  say_text_offset(st.text_off);
  if (!alloc_tables()) {
    say_no_table_memory();
    ++st.errors;
    return 0;
  }
  st.link_ptr[0].butndx = static_cast<uint16_t>(st.linesize);
  help_seek(st.text_off);
  return 1;
}

uint16_t extract_num(char* text, char** restart) {
  HelpCompilerState& st = helpState;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (value > format::kMaxLinkNumber || value < 0) {
    ++st.errors;
    say_link_out_of_range(st.file_line_num, value);
  }
  if (*end != format::kLinkEnd) {
    ++st.errors;
    say_bad_header_format(st.file_line_num, text);
  }
  // A number that runs to the very end of the line has no character after
  // it to skip; the parse of the line stops there.
  *restart = *end == '\0' ? end : end + 1;
  say_link_entry(value);
  return static_cast<uint16_t>(value);
}

void process_header(int type) {
  HelpCompilerState& st = helpState;
  char* restart = nullptr;
  format::linkentry& link = st.link_ptr[st.link_ndx];
  link.clntid = extract_num(st.input_line.data() + 2, &restart);
  link.tocndx = static_cast<uint16_t>(st.link_ndx - 1);
  link.butndx = extract_num(restart, &restart);
  ++st.link_ndx;
  say_processing_header();

  char* name_end = nls.nlsStrStr(restart, format::kButtonEnd);
  if (name_end == nullptr) {
    say_invalid_header(st.file_line_num, st.input_line.data());
    ++st.errors;
    return;
  }
  auto name_len = static_cast<std::size_t>(name_end - restart);
  if (name_len > format::kButtonNameMax) {
    say_button_name_too_long(st.file_line_num, static_cast<int>(name_len), restart);
    name_len = format::kButtonNameMax;
  }
  format::tocentry& toc = st.toc_ptr[st.toc_ndx];
  nls.nlsStrnCpy(toc.butt_name, restart, name_len);
  toc.type = static_cast<uint16_t>(type);
  toc.sndx = static_cast<uint16_t>(st.toc_ndx + 1);
  // The heading text moves down over the tag within one buffer, so the copy
  // must allow overlap (a plain string copy would not).
  const char* text = name_end + format::kButtonEndBytes;
  std::memmove(st.input_line.data(), text, std::strlen(text) + 1);
}

void process_tags() {
  HelpCompilerState& st = helpState;
  st.file_line_num = 0;
  st.file_first_line_num = 0;
  st.start_line_num = 0;
  bool found_major = false;
  while (read_line()) {
    ++st.file_first_line_num;
    if (begins_with(format::kMajorTag)) {
      found_major = true;
      break;
    }
    if (st.input_line[0] == format::kTagMark) {
      say_subhead_first(static_cast<int>(st.file_first_line_num));
      ++st.errors;
    }
  }
  if (!found_major) {
    say_no_major_heading();
    ++st.errors;
    return;
  }

  st.file_line_num = st.file_first_line_num;
  do {
    const bool major = begins_with(format::kMajorTag);
    if (major || begins_with(format::kSubTag)) {
      if (st.toc_ndx >= st.toc_ptr.size()) {
        // Only a source that grows while it is read can get here.
        say_more_heading_lines(st.file_line_num);
        ++st.errors;
        return;
      }
      if (st.toc_ndx > 0) {
        st.toc_ptr[st.toc_ndx - 1].length = st.file_line_num - st.start_line_num;
        if (major) st.toc_ptr[st.toc_ndx - 1].sndx = 0;
      }
      st.start_line_num = st.file_line_num;
      st.toc_ptr[st.toc_ndx].offset = record_offset();
      process_header(major ? 1 : 2);
      ++st.toc_ndx;
    }
    write_text_record();
    ++st.file_line_num;
  } while (read_line());

  st.toc_ptr[st.toc_ndx - 1].sndx = 0;
  st.toc_ptr[st.toc_ndx - 1].length = st.file_line_num - st.start_line_num;
}

}  // namespace qokit::help
