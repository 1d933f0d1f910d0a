// The syntax of inserts in message texts and what their conversions mean.
//
// One definition for everyone who reads a message text or its compiled form:
// the compiler's two passes, the client reader, the dump tool and the fuzz
// targets. Two readings meet here:
//   - where an insert is: "@", an argument number as strtol reads it, "%",
//     and everything up to and including the first of "cdeEfgGiopsuxX";
//   - what printf makes of that conversion: "%", flags (-+ #0'), a width
//     (digits or *), a precision ("." then digits or *), a length modifier
//     (hh h l ll L q j z t) and the conversion letter.
// A text is sound only where both readings agree and the argument that
// printf takes has the size of the type that the compiled form records.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qokit::format {

inline constexpr std::string_view kConversionLetters = "cdeEfgGiopsuxX";
// The same letters as a byte table, so finding the end of a conversion costs
// one load per character.
inline constexpr std::array<bool, 256> kIsConversionLetter = [] {
  std::array<bool, 256> table{};
  for (const char c : kConversionLetters) table[static_cast<unsigned char>(c)] = true;
  return table;
}();
inline constexpr int kMaxArgumentNumber = 100;

// Value types recorded per insert in the compiled form.
inline constexpr int kTypePointer = 0;
inline constexpr int kTypeInt = 1;
inline constexpr int kTypeLong = 2;
inline constexpr int kTypeDouble = 3;
inline constexpr int kTypeLongDouble = -1;  // no type code: refused by the compiler

enum class Length { kNone, kHH, kH, kL, kLL, kBigL, kQ, kJ, kZ, kT };

// The printf reading of one conversion.
struct Conversion {
  std::string_view flags;
  std::string_view width;      // digits, "*" or empty
  std::string_view precision;  // after the ".": digits, "*" or empty
  bool has_precision = false;
  Length length = Length::kNone;
  std::string_view length_text;
  char letter = '\0';
  int stars = 0;
};

// How one conversion of an insert stands.
enum class Verdict {
  kSound,
  kNotPrintf,       // printf reads the characters before the letter otherwise
  kSizeDiffers,     // printf takes an argument of another size than the type
  kLongDouble,      // l or L before a floating-point letter
  kTooManyStars,    // more than two "*"
};

// An insert found by the scanning rule in a NUL-terminated text.
struct InsertSpan {
  const char* at = nullptr;       // the "@"
  long argument = 0;              // as strtol reads it (0 without digits)
  const char* percent = nullptr;  // just after the number; a "%" or not
  const char* end = nullptr;      // one past the conversion letter; null when none follows
};

// The insert whose "@" stands at `at`.
void ReadInsert(const char* at, InsertSpan& span);

// The next insert at or after `from`, or false when no "@" is left. The scan
// for the following insert goes on at `end` (or after the number when null).
// The text is searched byte by byte, as the string layer's single-byte
// family, the one in force for every tool, searches it.
bool NextInsert(const char* from, InsertSpan& span);

// The conversion "%" .. letter of a span that has both.
inline std::string_view ConversionOf(const InsertSpan& span) {
  return {span.percent, static_cast<std::size_t>(span.end - span.percent)};
}

// Reads `conversion` ("%" through its last character) by the printf
// grammar; false when printf would read it differently or it mixes a length
// with a letter that printf does not define for it.
bool ParsePrintf(std::string_view conversion, Conversion& out);

// The type code of a conversion from its letter and the character before it
// (l or L: long, or long double for a floating-point letter).
int TypeCode(std::string_view conversion);

// Everything the compiler needs to know about one insert's conversion.
Verdict Judge(std::string_view conversion);

// Position of the first "%" of a literal text that is not part of "%%", or
// npos. In the compiled form the literal text is printf text, where only
// "%%" stands for a percent sign.
std::size_t LonePercent(std::string_view literal);

// The conversion rewritten with the length modifier of the value that the
// reader passes for its recorded type (same output, exactly typed), from a
// sound conversion.
std::string ExactlyTyped(std::string_view conversion, int type);

}  // namespace qokit::format
