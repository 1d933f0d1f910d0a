// Plural messages in PO files: the rule a file's header gives, a plural
// translation checked and turned into the forms of a source, and the
// stand-ins that take a translation's place.
//
// A plural entry's msgid is the base's form for n = 1, its msgid_plural the
// base's standing form (the one most counts take, which shows every
// argument), its msgstr[i] form i of the file's own rule.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "plural_layout.h"
#include "plural_messages.h"
#include "plural_rule.h"
#include "po_file.h"
#include "po_format.h"
#include "source_entries.h"

namespace qokit::po {

struct PluralRuleOf {
  std::string plural_forms;  // empty when the file names none
  format::PluralRule rule;
  format::PluralFacts facts;
};

// The rule of a PO file: its header's Plural-Forms, else the built-in rule
// of its Language. True with an empty plural_forms when it has neither;
// false with `why` when its Plural-Forms is no sound rule.
[[nodiscard]] bool RuleOfHeader(const PoEntry& header, PluralRuleOf& out, std::string& why);
// The same for a rule's text; false with `why` when it is no sound rule.
[[nodiscard]] bool RuleOfText(std::string_view plural_forms, PluralRuleOf& out, std::string& why);

// What base sources say of plurals: their rule (PLURALFORMS, else the
// built-in rule of LANGUAGE, else English's), their language and whether a
// message is plural. False after the parser's message or with `why` when
// PLURALFORMS is no sound rule.
struct BasePlurals {
  PluralRuleOf rule;
  std::string language;
  bool any = false;
};
[[nodiscard]] bool ReadBasePlurals(std::span<const char* const> sources, BasePlurals& out, std::string& why);
// The same in two steps, for a caller that reads the sources itself: each
// entry noted in turn (`plural_forms` keeps the PLURALFORMS text), then the
// rule once all are.
void NoteBasePlurals(const msgcomp::SourceEntry& entry, BasePlurals& out, std::string& plural_forms);
[[nodiscard]] bool FinishBasePlurals(BasePlurals& out, std::string plural_forms, std::string& why);

// A plural message of the base as PO entries show it: msgid its form for
// n = 1, msgid_plural its standing form, the signature of the arguments,
// its count and which of its forms leave the count out.
struct PluralBase {
  std::string msgid, msgid_plural;
  std::vector<std::string> msgstr;  // each form's PO form
  Signature signature;
  int count = 0;
  std::vector<bool> leaves_count;
};
// False with the fault; with kNone when the message has not as many forms
// as the rule.
[[nodiscard]] bool PluralOfBase(const std::vector<std::string>& forms, int named_count, const PluralRuleOf& rule,
                                PluralBase& out, FormatError& error);

// The count of a plural message with this signature: its only argument of an
// integer conversion (1-based), 0 when it has none, -1 when it has several.
int CountArgument(const Signature& signature);

// The forms of a plural translation as source texts, each checked against
// the message's signature; a single-count form of `rule` may leave the count
// out. False with the fault and the form (`form`) that does not fit, or with
// kNone when the entry's number of forms is not the rule's.
[[nodiscard]] bool PluralToSource(const std::vector<std::string>& msgstr, const PluralRuleOf& rule,
                                  const Signature& signature, int count, std::vector<std::string>& forms, int& form,
                                  FormatError& error);

// What stands in for an untranslated or refused plural message: for each
// form of `rule`, the base's form for the smallest count the form is given
// (so that the stand-in agrees in number), or the base's standing form where
// that one leaves the count out and this form may not. `leaves_count` tells
// which base forms leave the count out.
std::vector<std::string> PluralStandIns(const std::vector<std::string>& base_forms, const PluralRuleOf& base_rule,
                                        const std::vector<bool>& leaves_count, const PluralRuleOf& rule);

}  // namespace qokit::po
