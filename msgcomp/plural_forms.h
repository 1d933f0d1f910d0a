// The forms of the plural entry the parser has just read. A plural entry is
// one whose text is followed by "|" and another text, once per further form
// ("@1%d file" | "@1%d files"), or one that names its count argument with
// "{@k}" after the symbol and the response (a plural message of one form, in
// a catalogue whose rule has one). The parser keeps them here,
// beside the record ReadMessage delivers, whose text is the first form.
#pragma once

#include <array>

#include "plural_rule.h"
#include "msgsym_types.h"

namespace qokit::msgcomp {

inline constexpr int kMaxPluralForms = format::kMaxPluralForms;

struct PluralForms {
  int count = 0;          // forms read; 0 for an ordinary entry
  int countArgument = 0;  // named by "{@k}"; 0 when the entry names none
  std::array<std::array<char, kMaxTextLen + 1>, kMaxPluralForms> text{};  // NUL-terminated, form 0 too
};

}  // namespace qokit::msgcomp
