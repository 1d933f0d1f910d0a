// Decoding of the compiled text form of one message.
//
// Form of the bytes (the order flag comes first):
//   flag 1: the message as one printf format, NUL-terminated. The inserts are
//           the conversions of that format, in argument order.
//   flag 0: N; a position map of N bytes (byte k = text position of the insert
//           that shows argument k+1); per insert in text order: star count,
//           type code, the conversion specification NUL-terminated; then the
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
  std::string_view spec;  // "%" through the conversion letter
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
int TypeCode(std::string_view spec);

// Length of the printf conversion that starts at text[pos] (a "%"), or 0 when
// none starts there. Accepts flags, width, precision, the length letters h,
// hh, l, ll and L, and a letter of kConversionLetters; refuses long doubles.
std::size_t ScanConversion(std::string_view text, std::size_t pos);

// Decodes `bytes` (views into them are kept) into `out`. On a malformed form
// returns false with a description in `why`.
bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why);

}  // namespace qomsg
