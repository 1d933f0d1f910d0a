#include "po_plural.h"

#include <algorithm>
#include <utility>

#include "insert_syntax.h"
#include "plural_table.h"

namespace qokit::po {

bool RuleOfText(std::string_view plural_forms, PluralRuleOf& out, std::string& why) {
  if (!out.rule.Parse(plural_forms, why) || !out.rule.Check(why)) return false;
  out.plural_forms.assign(plural_forms);
  out.facts = format::FactsOf(out.rule);
  return true;
}

bool RuleOfHeader(const PoEntry& header, PluralRuleOf& out, std::string& why) {
  out = PluralRuleOf{};
  const std::string field = HeaderField(header, "Plural-Forms");
  if (!field.empty()) return RuleOfText(field, out, why);
  const format::PluralTableRow* row = format::FindPluralRule(HeaderField(header, "Language"));
  return row == nullptr || RuleOfText(row->plural_forms, out, why);
}

void NoteBasePlurals(const msgcomp::SourceEntry& entry, BasePlurals& out, std::string& plural_forms) {
  if (!entry.forms.empty()) out.any = true;
  if (entry.number != 0) return;
  if (entry.symbol == msgcomp::kPluralFormsMeta) plural_forms = entry.text;
  if (entry.symbol == msgcomp::kLanguageMeta) out.language = entry.text;
}

bool FinishBasePlurals(BasePlurals& out, std::string plural_forms, std::string& why) {
  if (plural_forms.empty()) {
    const format::PluralTableRow* row = format::FindPluralRule(out.language);
    plural_forms = row != nullptr ? row->plural_forms : msgcomp::kDefaultPluralForms;
  }
  return RuleOfText(plural_forms, out.rule, why);
}

bool ReadBasePlurals(std::span<const char* const> sources, BasePlurals& out, std::string& why) {
  out = BasePlurals{};
  std::string plural_forms;
  const int read = msgcomp::VisitSourceEntries(
      sources, [&](msgcomp::SourceEntry& entry) { NoteBasePlurals(entry, out, plural_forms); });
  if (read != 0) return false;
  return FinishBasePlurals(out, std::move(plural_forms), why);
}

bool PluralOfBase(const std::vector<std::string>& forms, int named_count, const PluralRuleOf& rule, PluralBase& out,
                  FormatError& error) {
  error = FormatError{};
  if (static_cast<int>(forms.size()) != rule.rule.forms()) return false;
  if (!SourceToPo(forms[static_cast<std::size_t>(rule.facts.standing)], out.msgid_plural, out.signature, error))
    return false;
  out.count = named_count > 0 ? named_count : std::max(CountArgument(out.signature), 0);
  out.msgstr.assign(forms.size(), std::string());
  out.leaves_count.assign(forms.size(), false);
  std::vector<bool> shown;
  for (std::size_t f = 0; f < forms.size(); ++f) {
    if (!FormToPo(forms[f], out.signature, out.msgstr[f], shown, error)) return false;
    out.leaves_count[f] = out.count > 0 && !shown[static_cast<std::size_t>(out.count - 1)];
  }
  out.msgid = out.msgstr[static_cast<std::size_t>(rule.rule.FormFor(1))];
  return true;
}

int CountArgument(const Signature& signature) {
  int count = 0;
  for (std::size_t a = 0; a < signature.size(); ++a) {
    if (!msgcomp::IsCountConversion(signature[a].conversion)) continue;
    if (count != 0) return -1;
    count = static_cast<int>(a) + 1;
  }
  return count;
}

bool PluralToSource(const std::vector<std::string>& msgstr, const PluralRuleOf& rule, const Signature& signature,
                    int count, std::vector<std::string>& forms, int& form, FormatError& error) {
  error = FormatError{};
  form = 0;
  if (static_cast<int>(msgstr.size()) != rule.rule.forms()) return false;
  forms.assign(msgstr.size(), std::string());
  for (form = 0; form < rule.rule.forms(); ++form) {
    const bool single = (rule.facts.single_count >> form & 1u) != 0;
    if (!PoToSource(msgstr[static_cast<std::size_t>(form)], signature, forms[static_cast<std::size_t>(form)], error,
                    single && count > 0 ? count : 0)) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> PluralStandIns(const std::vector<std::string>& base_forms, const PluralRuleOf& base_rule,
                                        const std::vector<bool>& leaves_count, const PluralRuleOf& rule) {
  std::vector<std::string> out;
  const auto standing = static_cast<std::size_t>(base_rule.facts.standing);
  for (int form = 0; form < rule.rule.forms(); ++form) {
    const unsigned long n = rule.facts.first_count[static_cast<std::size_t>(form)];
    std::size_t base = n < format::kRuleCheckedCounts ? static_cast<std::size_t>(base_rule.rule.FormFor(n)) : standing;
    if (base >= base_forms.size() || (leaves_count[base] && (rule.facts.single_count >> form & 1u) == 0)) base = standing;
    out.push_back(base_forms[base]);
  }
  return out;
}

}  // namespace qokit::po
