// Decoding of the compiled text form of one message.
//
// Form of the bytes (the order flag comes first):
//   flag 1: the message as one printf format, NUL-terminated. The inserts are
//           the conversions of that format, in argument order (at most 100).
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

// Decodes `bytes` (views into them are kept) into `out`. A form that the
// compiler cannot write is malformed: every "%" of the literal text must be
// "%%" and every conversion one that printf reads as the insert scan does,
// with an argument of its recorded type's size. On a malformed form returns
// false with a description in `why`.
bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why);

}  // namespace qomsg
