// The PO form of a message text, as a printf format, so gettext's tools can
// check a translator's conversions against the original's.
//
// A text whose inserts show the arguments in order (or has none) is a plain
// format: "@1%d files in @2%s" is "%d files in %s", which is also what a
// gettext project's own msgid says. A text that reorders them numbers every
// conversion. A client passes the arguments in argument order, each "*" of
// a conversion as one int before the value; the positional numbers count
// those int slots too: argument k takes the slots after all slots of
// arguments 1..k-1, its stars first, so "@2%s @1%*d" becomes "%3$s %2$*1$d".
// Literal text is printf text on both sides ("%%" stays). A translation may
// use either form, whatever the original's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qokit::po {

// What a client passes for one argument and how the original shows it.
struct ArgumentShape {
  int stars = 0;
  int type = 0;              // qokit::format::kType*
  std::string conversion;    // the original's conversion, without positions
};
using Signature = std::vector<ArgumentShape>;  // argument 1 first

enum class FormatFault {
  kNone,
  kBadInsert,        // an insert the compiler refuses
  kNotASequence,     // argument numbers are not 1..N, each once
  kLonePercent,      // a "%" that starts no conversion the mapping can place
  kLiteralAt,        // an "@", which would start an insert
  kMixedNumbering,   // positional and plain conversions in one format
  kBeyondArguments,  // a conversion shows a slot that is no argument's value
  kStarsDiffer,      // field width or precision stars other than the original's
  kUnsound,          // a conversion the compiler refuses (long double, %zu...)
  kTypeDiffers,      // a value of another type than the original's
  kArgumentTwice,
  kArgumentMissing,
};

struct FormatError {
  FormatFault fault = FormatFault::kNone;
  int conversion = 0;  // 1-based, in text order; 0 when the fault is the whole text's
  int argument = 0;    // the argument or slot concerned, where there is one
};

// One conversion of a printf format as a PO file carries it.
struct PoConversion {
  std::size_t begin = 0, end = 0;  // the bytes "%" .. letter in the format
  int value_slot = 0;              // 1-based
  int star_slots[2] = {0, 0};      // the stars' slots, in order
  int stars = 0;
  std::string spec;                // the conversion without "n$" numbers
};

// The PO form of a source text (escapes already replaced) and the signature
// of its arguments; false with the fault when the text is not one the
// compiler accepts.
// With `numbered` every conversion is numbered, as export wrote texts in
// argument order before it wrote them plain.
[[nodiscard]] bool SourceToPo(const std::string& text, std::string& format, Signature& signature,
                              FormatError& error, bool numbered = false);

// The conversions of a PO format in text order, numbered by slot (plain
// conversions take the next slots, as printf does).
[[nodiscard]] bool ParsePoFormat(std::string_view format, std::vector<PoConversion>& out, FormatError& error);

// The signature that a format written by SourceToPo stands for: the value
// slots in ascending order are the arguments, each right after its stars.
[[nodiscard]] bool SignatureOfPo(std::string_view format, Signature& signature, FormatError& error);

// A format with gettext's system-dependent conversions ("%<PRIuMAX>",
// "%<PRIx64>": the <inttypes.h> macros) resolved as this system's C library
// resolves them when it loads a catalogue ("%lu" on a 64-bit system); an
// unknown macro stays as it is, which the format checks then refuse.
std::string ResolveSystemConversions(std::string_view format);

// The source text of a PO format whose conversions show exactly the
// arguments of `signature`, each once, with the same stars and value types;
// argument `may_omit` (1-based; 0 for none) may be left out, as a plural
// form given to one count may leave its count out.
[[nodiscard]] bool PoToSource(std::string_view format, const Signature& signature, std::string& text,
                              FormatError& error, int may_omit = 0);

// The PO form of one form of a plural message (escapes replaced), whose
// inserts show arguments of the message's `signature` (that of a form that
// shows all) with their conversions: plain where it shows every argument
// in order, else numbered by slot. `shown[a - 1]` tells which arguments it
// shows.
[[nodiscard]] bool FormToPo(const std::string& text, const Signature& signature, std::string& format,
                            std::vector<bool>& shown, FormatError& error);

}  // namespace qokit::po
