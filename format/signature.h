// The argument signature of a message: what a caller passes, in argument
// order. One definition for the compiler's tools that write it (the checker,
// the companion header) and the reader that compares a catalogue against it.
//
// A signature is a printf format with one conversion per argument, reduced to
// what decides the arguments: "%", the stars ("*", ".*" or "*.*"), the length
// modifier the value is passed with and the letter. "@2%-5d: @1%.*s" has the
// signature "%.*s%d", so a format-checking compiler sees the call's types.
// Two signatures agree when they have the same number of arguments and each
// argument the same value type and star count.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiled_form.h"

namespace qokit::format {

// One argument: the ints passed before its value, and the value's type code.
struct ArgumentSlot {
  int stars = 0;
  int type = 0;
};

// The signature entry of one sound conversion ("%-*.3ld" -> "%*ld").
std::string SignatureEntry(std::string_view conversion);

// The signature of a source text; false when its inserts are not sound
// (arguments not 1..N, a conversion the compiler refuses).
[[nodiscard]] bool TextSignature(const char* text, std::string& signature);

// The signature of a compiled form that ReadCompiledForm accepted; false
// when its argument numbers are not 1..N.
[[nodiscard]] bool FormSignature(const FormParts& parts, std::string& signature);

// The arguments of a signature; false when it is not one SignatureEntry writes.
[[nodiscard]] bool SignatureSlots(std::string_view signature, std::vector<ArgumentSlot>& slots);

// Takes the first entry off `signature` as its argument; false when the
// entry is not one SignatureEntry writes. Allocates nothing for the entries
// of "%" and a letter, the common ones.
[[nodiscard]] bool TakeSignatureSlot(std::string_view& signature, ArgumentSlot& slot);

// How a signature differs from the one expected.
struct SignatureDifference {
  enum class Kind { kNone, kMalformed, kCount, kType, kStars } kind = Kind::kNone;
  int argument = 0;  // 1-based, for kType and kStars
};
SignatureDifference CompareSignatures(std::string_view expected, std::string_view actual);

}  // namespace qokit::format
