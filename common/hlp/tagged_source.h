// Reading the tagged help source into text records and tables.
//
// Source lines are reads of at most 2 * linesize - 1 bytes, so an over-long
// line is split and each piece is a line of its own. A heading line is
//   $H<first link>%<second link>%<button name>$-<heading text>
// ("$S" for a subheading); every other line is help text. Text starts at the
// first "$H" line; each line becomes one record of exactly linesize bytes,
// cut or blank-padded, without its line feed.
#pragma once

#include <cstdint>

namespace qokit::help {

// Counts the heading lines ("$H"/"$S" in the first two columns) into
// help_rec_cnt and rewinds f1. False, after a counted error, when there are
// more than the tables can describe.
[[nodiscard]] bool count_help_recs();

// Sizes the tables, fills link entry 0 and positions f2 at text_off, behind
// the room left for the tables. 1 on success, 0 (error counted) on failure.
[[nodiscard]] int init_struct();

// Reads the whole source from f1, writes the text records to f2 and fills the
// tables. Errors are counted in `errors` and reported; processing goes on.
void process_tags();

// Fills link entry link_ndx and TOC entry toc_ndx from the heading line in
// input_line (type 1 "$H", 2 "$S") and leaves only the heading text there.
void process_header(int type);

// Reads a link number at `text` (decimal, as strtol reads it) and stores in
// `restart` where the next field starts, never past the end of the line.
// Returns the low 16 bits; out-of-range values and a missing percent sign
// are counted errors.
uint16_t extract_num(char* text, char** restart);

}  // namespace qokit::help
