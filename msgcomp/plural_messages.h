// Plural messages in the compiler: what each plural entry's forms must agree
// on, the catalogue's plural rule, and what the object file stores for them
// (plural_layout.h has the layout).
//
// The rule of a catalogue is its meta-symbol PLURALFORMS ("nplurals=N;
// plural=EXPRESSION;"), else the built-in rule of its meta-symbol LANGUAGE,
// else English's. The count is the argument whose value is the number of
// things: the one named by "{@k}", else the message's only argument with an
// integer conversion, else none. Every form shows every argument with the
// same conversion type and stars, except that a form the rule gives to one
// count only may leave the count out; such a form is stored with the count's
// insert appended, so every stored form has the message's signature.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plural_layout.h"
#include "plural_rule.h"
#include "source_diagnostics.h"
#include "source_reader.h"

namespace qokit::msgcomp {

inline constexpr char kPluralFormsMeta[] = "PLURALFORMS";
inline constexpr char kLanguageMeta[] = "LANGUAGE";
// The rule of a catalogue that names neither, which is also what gettext
// assumes of a program's own msgid and msgid_plural.
inline constexpr char kDefaultPluralForms[] = "nplurals=2; plural=(n != 1);";

// A plural message as the first pass entered it.
struct PluralMessage {
  int32_t number = 0;
  std::string symbol;
  SourcePlace at;
  int severity = 0;
  std::string response;
  int countArgument = 0;            // 0: the message has no count
  unsigned leftOut = 0;             // bit f: form f leaves the count out
  std::vector<std::string> stored;  // each form as stored, the count's insert appended where left out
};

// A text the object file stores above H: a plural message's other form, or
// the plural table.
struct StoredText {
  int32_t number = 0;
  const unsigned char* compiled = nullptr;  // owned by the symbol table's pool
  int32_t length = 0;
  int severity = 0;
  const char* response = "";  // the message's, which outlives the run's writing
};

// One fault of a plural message or of the catalogue's rule.
struct PluralFault {
  enum class Kind {
    kPluralMeta,         // a meta-symbol with forms
    kSeveralCounts,      // several integer arguments and no "{@k}"
    kCountNotShown,      // the named count is shown by no form
    kCountNotInteger,    // the count's conversion is not an integer one
    kArgumentLeftOut,    // a form leaves out an argument other than the count
    kArgumentDiffers,    // two forms pass an argument differently
    kFormCount,          // not as many forms as the rule has
    kCountLeftOut,       // a form the rule gives to several counts leaves the count out
    kRule,               // PLURALFORMS is no rule
    kNoRuleForLanguage,  // no PLURALFORMS and no built-in rule for LANGUAGE
    kNoRoom,             // the forms and the table do not fit above H
  } kind = Kind::kRule;
  SourcePlace at;
  std::string symbol;   // the message's (or the meta-symbol's); empty for kNoRoom
  int form = 0, other = 0, argument = 0, count = 0, expected = 0;
  std::string detail, otherDetail;  // conversions, the rule's fault, the language
};

// The text of a fault, to follow "SYMBOL: " (the compiler's and the checker's).
std::string PluralFaultText(const PluralFault& fault);

// Checks the forms of the entry just read (msgState->plural) and fills
// `message`: 0; 1 after a fault reported (through msgState->diagnostics when
// set, else printed), including the insert checks of each stored form, which
// also raise maxInserts. An entry of one text is a plural message of one
// form when it names its count ("{@k}"), else no plural message: 0 with
// message.stored empty.
[[nodiscard]] int CheckPluralEntry(const MessageRecord& entry, PluralMessage& message);

// The catalogue's rule and its text from its meta-symbols; false, with what
// is wrong in `fault` (not reported), when PLURALFORMS is no rule or
// LANGUAGE names a language without a built-in one.
[[nodiscard]] bool CatalogueRule(format::PluralRule& rule, std::string& text, PluralFault& fault);

// Once every entry is in: the rule, and each plural message's forms against
// it, and whether the forms fit above message `highest`. 0, or 1 after the
// faults reported.
[[nodiscard]] int CheckPluralCatalogue(const std::vector<PluralMessage>& messages, int32_t highest);

// Where the object file stores the plural messages' forms: each message's
// standing form at its own number, its other forms above `highest` in
// message-number order, and the plural table after them.
struct PluralNumbering {
  std::vector<const PluralMessage*> byNumber;
  std::vector<format::PluralEntry> entries;  // one for each of byNumber
  long tableNumber = 0;
};
PluralNumbering NumberPluralForms(const std::vector<PluralMessage>& messages, int32_t highest, int forms, int standing);

// Whether a conversion can pass a count: d, i, o, u, x or X of an int or a
// long (the PO tool finds a message's count by it too).
bool IsCountConversion(std::string_view conversion);

// Reports a fault as CheckPluralEntry reports them.
void ReportPluralFault(const PluralFault& fault);

}  // namespace qokit::msgcomp
