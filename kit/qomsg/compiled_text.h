// Decoding of the compiled text form of one message.
//
// Form of the bytes (the order flag comes first):
//   flag 1: the message as one printf format, NUL-terminated. The inserts are
//           the conversions of that format, in argument order.
//   flag 0: N; a position map of N bytes (byte k = text position of the insert
//           that shows argument k+1); per insert in text order: star count,
//           type code, the conversion NUL-terminated; then the
//           N+1 literal pieces around the inserts, each NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qomsg {

inline constexpr std::string_view kConversionLetters = "cdeEfgGiopsuxX";

struct Insert {
  int argument = 0;       // 1-based
  std::string_view conversion;  // "%" through the conversion letter
  int stars = 0;
  int type = 0;           // QOMSG_ARG_*
};

struct CompiledText {
  bool in_order = true;
  // N+1 literal pieces around the N inserts, in text order, as written in
  // the source ("%%" stands for one "%" when printed).
  std::vector<std::string_view> pieces;
  std::vector<Insert> inserts;  // text order
};

// The type code of a conversion: from its letter and the character before
// it; -1 for a long double conversion, which has no type code.
int TypeCode(std::string_view conversion);

// Length of the conversion that starts at text[pos] (a "%") in an in-order
// text, or 0 when none starts there. Like the compiler, it runs to the first
// conversion letter, over characters that may stand in a printf conversion
// (flags first, then digits, ".", "*", "$" and length letters); it refuses
// long doubles and more than two "*", which the compiler never lets through
// as inserts.
std::size_t ScanConversion(std::string_view text, std::size_t pos);

// True when `conversion` (a whole conversion) is plain printf syntax: flags, width,
// precision, one of the length letters h, hh, l, ll, L, and its letter.
bool IsPrintfConversion(std::string_view conversion);

// Decodes `bytes` (views into them are kept) into `out`. On a malformed form
// returns false with a description in `why`.
bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why);

}  // namespace qomsg
