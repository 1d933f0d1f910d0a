#include "legacy_source.h"

#include <cstdio>

#include "help_messages.h"
#include "help_output.h"
#include "help_session.h"
#include "help_syntax.h"
#include "help_tables.h"

namespace qokit::help {

namespace {

// The source is read a byte at a time by this one thread; the unlocked
// stream call halves the processor time of a run.
int next_byte() { return getc_unlocked(helpState.f1); }

void put_text(int c) {
  help_put(c);
  ++helpState.section_bytes;
}

// Reads a link number field: at most five bytes, ended early by "%" (which is
// consumed). Digits count only until the first other byte; a "$" ends the
// field at once and stays in the stream, so that a missing number cannot
// swallow the closing tag. The low 16 bits of the value are kept.
uint16_t read_link_number() {
  uint32_t value = 0;
  bool digits_ended = false;
  for (int i = 0; i < format::kMaxLinkDigits; ++i) {
    const int c = next_byte();
    if (c == EOF || c == format::kLinkEnd) break;
    if (c == format::kTagMark) {
      std::ungetc(c, helpState.f1);
      break;
    }
    if (c >= '0' && c <= '9' && !digits_ended)
      value = value * 10 + static_cast<uint32_t>(c - '0');
    else
      digits_ended = true;
  }
  return static_cast<uint16_t>(value);
}

// Reads the heading whose opening tag `letter` was just read into link entry
// link_ndx and TOC entry toc_ndx. The button name runs to the closing tag of
// the same letter; bytes beyond 48 are dropped.
void process_heading(int letter) {
  HelpCompilerState& st = helpState;
  format::linkentry& link = st.link_ptr[st.link_ndx];
  link.clntid = read_link_number();
  link.tocndx = static_cast<uint16_t>(st.link_ndx - 1);
  link.butndx = read_link_number();
  ++st.link_ndx;

  format::tocentry& toc = st.toc_ptr[st.toc_ndx];
  std::size_t used = 0;
  auto keep = [&](int c) {
    if (used < format::kButtonNameMax) toc.butt_name[used++] = static_cast<char>(c);
  };
  for (int c; (c = next_byte()) != EOF;) {
    if (c != format::kTagMark) {
      keep(c);
      continue;
    }
    const int next = next_byte();
    if (next == letter) {
      toc.type = format::legacy_heading_type(letter);
      toc.sndx = static_cast<uint16_t>(st.toc_ndx + 1);
      if (letter == 'H' || letter == 'T') ++st.button_count;
      return;
    }
    keep(c);
    if (next == EOF) return;
    keep(next);
  }
  // Never closed: the entry keeps type 0 and the name read so far.
}

// Copies a wrap region after its opening "$W": line feeds become blanks.
void copy_wrap_region() {
  for (int c; (c = next_byte()) != EOF;) {
    if (c == format::kTagMark) {
      const int next = next_byte();
      if (next == format::kWrapTag) return;
      put_text(format::kTagMark);
      if (next == EOF) return;
      c = next;
    }
    put_text(c == '\n' ? ' ' : c);
  }
}

void end_section() {
  HelpCompilerState& st = helpState;
  st.toc_ptr[st.toc_ndx].offset = st.text_off + st.earlier_bytes;
  st.toc_ptr[st.toc_ndx].length = st.section_bytes;
}

bool skip_to_first_major() {
  for (int c; (c = next_byte()) != EOF;) {
    if (c == format::kTagMark && next_byte() == format::kMajorTag) return true;
  }
  return false;
}

}  // namespace

bool count_legacy_headings() {
  HelpCompilerState& st = helpState;
  long count = 0;
  bool open = false;
  for (int c; (c = next_byte()) != EOF;) {
    if (c != format::kTagMark) continue;
    const int next = next_byte();
    if (!format::is_legacy_heading_letter(next)) continue;
    // Every other tag opens a heading; the one between closes it.
    if (!open) ++count;
    open = !open;
  }
  rewind_source();
  if (count > format::kMaxHeadings) {
    say_too_many_headings(count);
    st.help_rec_cnt = 0;
    return false;
  }
  st.help_rec_cnt = static_cast<int16_t>(count);
  return true;
}

bool init_legacy_struct() {
  if (!alloc_tables()) {
    say_no_table_memory();
    return false;
  }
  help_seek(helpState.text_off);
  return true;
}

void process_legacy_source() {
  HelpCompilerState& st = helpState;
  st.earlier_bytes = 0;
  st.section_bytes = 0;
  st.button_count = 0;
  if (st.toc_ptr.empty() || !skip_to_first_major()) {
    say_no_legacy_heading();
    return;
  }
  process_heading(format::kMajorTag);

  for (int c; (c = next_byte()) != EOF;) {
    if (c != format::kTagMark) {
      put_text(c);
      continue;
    }
    const int next = next_byte();
    if (format::is_legacy_heading_letter(next)) {
      if (st.toc_ndx + 1 >= st.toc_ptr.size()) {
        // Only tags the count paired differently can get here.
        say_more_headings();
        break;
      }
      end_section();
      if (next == 'H' || next == 'E') st.toc_ptr[st.toc_ndx].sndx = 0;
      ++st.toc_ndx;
      st.earlier_bytes += st.section_bytes;
      st.section_bytes = 0;
      process_heading(next);
    } else if (next == format::kWrapTag) {
      copy_wrap_region();
    } else {
      put_text(format::kTagMark);
      if (next == EOF) break;
      put_text(next);
    }
  }
  end_section();
  st.toc_ptr[st.toc_ndx].sndx = 0;
  st.link_ptr[0].butndx = st.button_count;
}

}  // namespace qokit::help
