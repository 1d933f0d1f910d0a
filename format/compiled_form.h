// The compiled form of a message text, one definition for the compiler that
// writes it into the object file and the reader that takes it apart.
//
//   flag 1 (inserts in argument order 1..N, or none): 0x01, then the text as
//     one printf format (each "@n" left out), NUL-terminated. The inserts
//     are that format's conversions; their stars and types follow from them.
//   flag 0: 0x00, N, the position map (byte k = text position of the insert
//     showing argument k+1), per insert in text order: star count, type code
//     (0 pointer/string, 1 int, 2 long, 3 double), the conversion and a NUL;
//     then the N+1 literal pieces around the inserts, each NUL-terminated.
// In both forms the literal text holds a percent sign only as "%%", so it
// reads as printf text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qokit::format {

inline constexpr unsigned char kInOrderFlag = 1;
inline constexpr unsigned char kReorderedFlag = 0;

// One insert, in text order.
struct FormInsert {
  int argument = 0;             // 1-based
  std::string_view conversion;  // "%" through the conversion letter
  int stars = 0;
  int type = 0;                 // qokit::format::kType*
};

// A text's parts: N+1 literal pieces around N inserts, in text order.
struct FormParts {
  bool in_order = true;  // the inserts show arguments 1..N in this order
  std::vector<std::string_view> pieces;
  std::vector<FormInsert> inserts;
};

// Writes the compiled form of `parts` into buffer; its length, or 0 when it
// does not fit in capacity bytes.
std::size_t WriteCompiledForm(const FormParts& parts, unsigned char* buffer, std::size_t capacity);

// Takes a compiled form apart into `out` (views into bytes). False, with the
// fault in `why`, when its structure is not one WriteCompiledForm writes:
// flag, count, position map, terminators, and in the in-order form a "%"
// that is neither "%%" nor starts a conversion. Whether each conversion is
// one printf formats as recorded is CheckCompiledForm's to say.
[[nodiscard]] bool ReadCompiledForm(std::string_view bytes, FormParts& out, std::string& why);

// What is wrong with a compiled form for a reader that formats it, or null
// when nothing is: first its structure (as ReadCompiledForm), then, in text
// order, every conversion must be one printf formats with the recorded star
// count and type, then every literal piece must hold "%" only as "%%".
// Allocates nothing, so a catalogue's open can check every text.
[[nodiscard]] const char* CheckCompiledForm(std::string_view bytes);

}  // namespace qokit::format
