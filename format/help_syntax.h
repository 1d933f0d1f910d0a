// The rules of the help sources, shared by the compilers that read them and
// by the lint that predicts what the compilers will make of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qokit::format {

// Line lengths a help file can describe: at least one byte per line, and no
// more than its 16-bit field holds.
inline constexpr long kMinLineSize = 1;
inline constexpr long kMaxLineSize = 65535;
inline constexpr int kDefaultLineSize = 72;

// The tagged compiler reads each source line into a buffer of twice the line
// length, so one read takes at most line_buffer_size - 1 bytes; the rest of a
// longer line comes with the next read, as a line of its own.
constexpr std::size_t line_buffer_size(int32_t line_length) { return 2 * static_cast<std::size_t>(line_length); }
constexpr std::size_t max_read_bytes(int32_t line_length) { return line_buffer_size(line_length) - 1; }

// Both syntaxes: a tag is the mark and one letter.
inline constexpr char kTagMark = '$';
inline constexpr char kMajorTag = 'H';
inline constexpr char kSubTag = 'S';
// Ends a link number field.
inline constexpr char kLinkEnd = '%';

// Tagged syntax: a heading line is "$H" or "$S" in its first two columns, two
// link numbers each ended by kLinkEnd, the button name ended by kButtonEnd,
// and the heading text.
inline constexpr char kButtonEnd[] = "$-";
inline constexpr std::size_t kButtonEndBytes = sizeof kButtonEnd - 1;
inline constexpr long kMaxLinkNumber = 32767;

// Legacy syntax: a heading is enclosed in two tags of one of four letters,
// "$W" ... "$W" is a wrap region, and a link number field is at most five
// bytes long.
inline constexpr char kWrapTag = 'W';
inline constexpr int kMaxLinkDigits = 5;

constexpr bool is_legacy_heading_letter(int c) { return c == 'H' || c == 'S' || c == 'T' || c == 'E'; }

// The TOC entry type of a legacy heading letter.
constexpr uint16_t legacy_heading_type(int letter) {
  switch (letter) {
    case 'H': return 1;
    case 'S': return 2;
    case 'T': return 3;
    default: return 4;
  }
}

}  // namespace qokit::format
