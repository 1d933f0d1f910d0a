// Built-in plural rules of common languages, for a catalogue whose language
// is known but which has no Plural-Forms of its own (a message source
// written by hand, a PO file without that header field).
//
// Each rule is the part of the language's CLDR plural rule that whole
// numbers reach, written as a Plural-Forms value, its forms in CLDR's order
// (zero, one, two, few, many, other) without the categories that only
// fractions reach. The "many" that CLDR gives exact millions in French,
// Spanish, Italian, Portuguese and Catalan ("1 million de fichiers") is left
// out, as the translations of those languages in use leave it out.
#pragma once

#include <span>
#include <string_view>

namespace qokit::format {

struct PluralTableRow {
  std::string_view languages;     // space-separated language codes
  std::string_view categories;    // the CLDR category of each form
  std::string_view plural_forms;  // "nplurals=N; plural=EXPRESSION;"
};

// The row for a language tag ("ru", "pt_BR", "sr@latin", "de_DE.UTF-8"):
// the whole tag's row ("pt_BR"), else its language's ("pt"); null when the
// table has none.
const PluralTableRow* FindPluralRule(std::string_view language);

// Every row, for tests and for the manual.
std::span<const PluralTableRow> PluralTable();

}  // namespace qokit::format
