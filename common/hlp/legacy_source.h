// Reading the legacy tagged source: a byte stream with four heading kinds.
//
// A heading is enclosed in a pair of tags of one letter:
//   $H<first link>%<second link>%<button name>$H     ("$S", "$T", "$E" alike)
// Its section is every byte after the closing tag up to the next heading,
// copied as it stands except that a "$W" ... "$W" wrap region turns its line
// feeds into blanks and a "$" before any other letter stays with it. Section
// offsets and lengths count bytes. Link entry 0's butndx holds the number of
// "$H" and "$T" headings that were closed (the button count).
#pragma once

namespace qokit::help {

// Counts the headings (one at every opening tag, closed or not) into
// help_rec_cnt and rewinds f1. False, after a message, when there are more
// than the tables can describe.
[[nodiscard]] bool count_legacy_headings();

// Sizes the tables and positions f2 at text_off. False, after a message,
// when the tables cannot be allocated.
[[nodiscard]] bool init_legacy_struct();

// Skips to the first "$H", then reads every heading and section to the end of
// the source, writing the sections to f2 and filling the tables. A source
// without "$H" leaves the tables as they are and writes no text.
void process_legacy_source();

}  // namespace qokit::help
