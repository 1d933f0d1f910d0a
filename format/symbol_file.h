// The symbol file: a generated C header that binds every message symbol to
// its number. One definition of its names, columns and reading rule for
// everyone who reads or writes one: the compiler (which writes it and reads
// it back), the dump tool and the time stamper.
//
// Layout, as the compiler writes it: a comment block, the guard _H_MSGSYM,
//   #define _MSGSYM_CHECKSUM   (name padded to 50, value in 8 columns)
//   #define _MSGSYM_TIMESTAMP  "ctime text"  (closing quote in column 67)
//   #define _MAX_INSERTS
// and one "#define NAME NUMBER" per symbol in number order, every value
// ending in column 67; an empty line marks each gap in the numbering.
//
// Reading rule: the file is taken a line at a time, but at most 255 bytes at
// a time, so a longer line reads as several lines, each counted; a line ends
// at its first NUL byte. Words are runs of bytes that are not white space. A
// line whose first word is exactly "#define" defines its second word with its
// third word as value; every other line, and every word after the third, is
// ignored. Hand-edited files with other spacing, reordered or extra lines
// read the same as long as these rules find the same words.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qokit::format {

inline constexpr char kGuardName[] = "_H_MSGSYM";
inline constexpr char kChecksumName[] = "_MSGSYM_CHECKSUM";
inline constexpr char kTimestampName[] = "_MSGSYM_TIMESTAMP";
inline constexpr char kMaxInsertsName[] = "_MAX_INSERTS";

// Names are padded to 50 and values take 8 columns, so every value ends in
// column 67; the timestamp's name is padded to 56 less the text's length so
// that its closing quote does too.
inline constexpr int kNameWidth = 50;
inline constexpr int kValueWidth = 8;
inline constexpr int kValueColumnWidth = 56;
static_assert(sizeof "#define " - 1 + kNameWidth + 1 + kValueWidth == 67, "values end in column 67");
static_assert(sizeof "#define " - 1 + (kValueColumnWidth - 24) + 1 + 1 + 24 + 1 == 67,
              "the timestamp's closing quote is in column 67");

// The longest piece of a line that is read as one line.
inline constexpr std::size_t kLinePieceBytes = 255;

enum class DefineKind { kGuard, kChecksum, kTimestamp, kMaxInserts, kSymbol };

// What the name of a "#define" line defines.
DefineKind ClassifyDefine(std::string_view name);

// Which bytes are white space between words; the NUL byte ends a line and is
// never white space.
using SpaceTable = std::array<bool, 256>;

// White space as the C library's isspace classifies it in the locale in force.
SpaceTable LocaleSpaces();

// One "#define" line.
struct Define {
  long line = 0;              // counted from 1, in pieces of at most 255 bytes
  std::string_view name;      // the second word (empty when there is none)
  std::string_view value;     // the third word (empty when there is none)
  std::size_t valueAt = 0;    // offset of the third word (or where it would begin) in the file
  std::size_t lineEnd = 0;    // offset one past the line's last byte read, its line feed excluded
};

// The "#define" lines of a symbol file held in memory, in file order.
class DefineReader {
 public:
  DefineReader(std::string_view bytes, const SpaceTable& spaces);
  // The next "#define" line; false after the last.
  bool Next(Define& out);

 private:
  std::string_view bytes_;
  SpaceTable spaces_;
  std::array<bool, 256> inWord_{};  // neither white space nor NUL
  bool controlSpaces_ = true;        // no white space byte above the blank
  std::size_t at_ = 0;
  long line_ = 0;
};

// A value word as the C library's strtol reads it in base 10: an optional
// sign, then digits up to the first other byte; 0 when there are no digits,
// and 0 too when the value does not fit in 32 bits.
struct DefineNumber {
  int32_t value = 0;
  bool whole = false;  // digits were read and they are the whole word
};
DefineNumber ReadDefineNumber(std::string_view word);

}  // namespace qokit::format
