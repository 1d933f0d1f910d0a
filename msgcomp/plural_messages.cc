#include "plural_messages.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "inserts.h"
#include "insert_syntax.h"
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "plural_table.h"

namespace qokit::msgcomp {

namespace {

// The inserts of a plural message's forms as the insert scan finds them
// (what is malformed is the insert checks' to report). Kept as a short list,
// not a table by argument: messages have few arguments, and each plural
// entry is checked in both passes.
class FormArguments {
 public:
  void Scan(int form, const char* text) {
    format::InsertSpan span;
    for (const char* rest = text; format::NextInsert(rest, span); rest = span.end != nullptr ? span.end : span.percent) {
      const long a = span.argument;
      if (a < 1 || a > kMaxArgumentNumber || *span.percent != '%' || span.percent[1] == '%' || span.end == nullptr ||
          !In(form, a).empty() || !Printable(format::ConversionOf(span))) {
        malformed_[static_cast<std::size_t>(form)] = true;
        continue;
      }
      if (count_ == seen_.size()) break;  // no form has more than kMaxArgumentNumber distinct ones
      seen_[count_++] = {form, static_cast<int>(a), span.percent, static_cast<std::size_t>(span.end - span.percent)};
      largest_ = std::max(largest_, static_cast<int>(a));
    }
  }
  // The conversion of argument `a` in form `form`; "" where the form does not show it.
  std::string_view In(int form, long a) const {
    for (std::size_t i = 0; i < count_; ++i) {
      if (seen_[i].form == form && seen_[i].argument == a) return {seen_[i].conversion, seen_[i].length};
    }
    return {};
  }
  int largest() const { return largest_; }
  // Whether the insert checks will refuse one of the form's inserts.
  bool Malformed(int form) const { return malformed_[static_cast<std::size_t>(form)]; }

 private:
  // The second pass reports long doubles and stars; the insert checks the rest.
  static bool Printable(std::string_view conversion) {
    const format::Verdict verdict = format::Judge(conversion);
    return verdict != format::Verdict::kNotPrintf && verdict != format::Verdict::kSizeDiffers;
  }

  struct Seen {
    int form;
    int argument;
    const char* conversion;
    std::size_t length;
  };
  std::array<Seen, kMaxPluralForms * kMaxArgumentNumber> seen_;  // the first count_ are set
  std::size_t count_ = 0;
  int largest_ = 0;
  std::array<bool, kMaxPluralForms> malformed_{};
};

int Stars(std::string_view conversion) { return static_cast<int>(std::count(conversion.begin(), conversion.end(), '*')); }

PluralFault FaultAt(const MessageRecord& entry, PluralFault::Kind kind) {
  PluralFault fault;
  fault.kind = kind;
  fault.at = {entry.srcIndex, entry.line};
  fault.symbol = entry.symbol;
  return fault;
}

int Report(const PluralFault& fault) {
  ReportPluralFault(fault);
  return 1;
}

// The insert checks of one form's text, whose faults say which form it is.
int CheckFormInserts(int form, const char* text) {
  SourceDiagnostics* const diagnostics = msgState->diagnostics;
  if (diagnostics != nullptr) diagnostics->InPluralForm(form);
  const int failed = CheckInserts(text);
  if (diagnostics != nullptr) {
    diagnostics->InPluralForm(-1);
  } else if (failed != 0) {
    SayInPluralForm(form);
  }
  return failed;
}

}  // namespace

std::string PluralFaultText(const PluralFault& f) {
  char text[400];
  switch (f.kind) {
    case PluralFault::Kind::kPluralMeta:
      std::snprintf(text, sizeof text, "a meta-symbol has one value, not plural forms");
      break;
    case PluralFault::Kind::kSeveralCounts:
      std::snprintf(text, sizeof text, "several arguments could be the count; name it with {@N}");
      break;
    case PluralFault::Kind::kCountNotShown:
      std::snprintf(text, sizeof text, "no form shows the count @%d", f.argument);
      break;
    case PluralFault::Kind::kCountNotInteger:
      std::snprintf(text, sizeof text, "the count @%d has the conversion %s, not an integer one", f.argument,
                    f.detail.c_str());
      break;
    case PluralFault::Kind::kArgumentLeftOut:
      std::snprintf(text, sizeof text, "form %d leaves out argument @%d; only the count may be left out", f.form,
                    f.argument);
      break;
    case PluralFault::Kind::kArgumentDiffers:
      std::snprintf(text, sizeof text, "form %d passes argument @%d as %s, form %d as %s", f.form, f.argument,
                    f.detail.c_str(), f.other, f.otherDetail.c_str());
      break;
    case PluralFault::Kind::kFormCount:
      std::snprintf(text, sizeof text, "the message has %d form%s; the rule of this catalogue has %d", f.count,
                    f.count == 1 ? "" : "s", f.expected);
      break;
    case PluralFault::Kind::kCountLeftOut:
      std::snprintf(text, sizeof text, "form %d leaves out the count @%d, but the rule gives that form to more than one count",
                    f.form, f.argument);
      break;
    case PluralFault::Kind::kRule:
      std::snprintf(text, sizeof text, "invalid plural rule: %s", f.detail.c_str());
      break;
    case PluralFault::Kind::kNoRuleForLanguage:
      std::snprintf(text, sizeof text, "no built-in plural rule for language \"%s\"; give the rule as %s",
                    f.detail.c_str(), kPluralFormsMeta);
      break;
    case PluralFault::Kind::kNoRoom:
      std::snprintf(text, sizeof text, "no room for the plural forms above message %d (at most %ld)", f.expected,
                    format::kHighestMessageNumber);
      break;
  }
  return text;
}

void ReportPluralFault(const PluralFault& fault) {
  MsgCompilerState& st = *msgState;
  if (st.diagnostics != nullptr) {
    st.diagnostics->PluralError(fault);
    return;
  }
  SayPluralFault(fault.symbol.c_str(), PluralFaultText(fault).c_str(), st.srcFileNames[fault.at.file], fault.at.line);
}

int CheckPluralEntry(const MessageRecord& entry, PluralMessage& message) {
  using Kind = PluralFault::Kind;
  const PluralForms& plural = msgState->plural;
  message = PluralMessage{};
  if (entry.msgNum == 0) return plural.count == 0 && plural.countArgument == 0 ? 0 : Report(FaultAt(entry, Kind::kPluralMeta));
  if (plural.count == 0 && plural.countArgument == 0) return 0;
  // "{@k}" on one text makes a plural message of one form, which a
  // catalogue of a one-form rule (Japanese) gives each plural message.
  const int formCount = std::max(plural.count, 1);
  const auto formText = [&](int f) { return plural.count == 0 ? entry.text : plural.text[f].data(); };
  FormArguments forms;
  for (int f = 0; f < formCount; ++f) forms.Scan(f, formText(f));
  // A malformed insert is reported as such, not as forms that disagree.
  for (int f = 0; f < formCount; ++f) {
    if (forms.Malformed(f) && CheckFormInserts(f, formText(f)) != 0) return 1;
  }
  const int largest = forms.largest();

  // Each argument's conversion in the first form that shows it.
  std::array<std::string_view, kMaxArgumentNumber + 1> first;
  std::array<int, kMaxArgumentNumber + 1> firstForm;
  for (int a = 1; a <= largest; ++a) {
    first[a] = {};
    firstForm[a] = 0;
    for (int f = 0; f < formCount && first[a].empty(); ++f) {
      first[a] = forms.In(f, a);
      firstForm[a] = f;
    }
  }
  if (plural.countArgument > largest) {
    PluralFault fault = FaultAt(entry, Kind::kCountNotShown);
    fault.argument = plural.countArgument;
    return Report(fault);
  }
  int count = plural.countArgument;
  if (count != 0) {
    PluralFault fault = FaultAt(entry, first[count].empty() ? Kind::kCountNotShown : Kind::kCountNotInteger);
    fault.argument = count;
    fault.detail = first[count];
    if (first[count].empty() || !IsCountConversion(first[count])) return Report(fault);
  } else {
    for (int a = 1; a <= largest; ++a) {
      if (first[a].empty() || !IsCountConversion(first[a])) continue;
      if (count != 0) return Report(FaultAt(entry, Kind::kSeveralCounts));
      count = a;
    }
  }
  // Every form shows every argument, as the first form that shows it does.
  for (int f = 0; f < formCount; ++f) {
    for (int a = 1; a <= largest; ++a) {
      if (first[a].empty()) continue;
      const std::string_view own = forms.In(f, a);
      if (own.empty()) {
        if (a == count) {
          message.leftOut |= 1u << f;
          continue;
        }
        PluralFault fault = FaultAt(entry, Kind::kArgumentLeftOut);
        fault.form = f;
        fault.argument = a;
        return Report(fault);
      }
      if (format::TypeCode(own) != format::TypeCode(first[a]) || Stars(own) != Stars(first[a])) {
        PluralFault fault = FaultAt(entry, Kind::kArgumentDiffers);
        fault.form = f;
        fault.argument = a;
        fault.detail = own;
        fault.other = firstForm[a];
        fault.otherDetail = first[a];
        return Report(fault);
      }
    }
  }
  for (int f = 0; f < formCount; ++f) {
    std::string stored = formText(f);
    if ((message.leftOut >> f & 1u) != 0) stored.append("@").append(std::to_string(count)).append(first[count]);
    if (CheckFormInserts(f, stored.c_str()) != 0) return 1;
    message.stored.push_back(std::move(stored));
  }
  message.number = entry.msgNum;
  message.symbol = entry.symbol;
  message.at = {entry.srcIndex, entry.line};
  message.severity = entry.severity;
  message.response = entry.response;
  message.countArgument = count;
  return 0;
}

PluralNumbering NumberPluralForms(const std::vector<PluralMessage>& messages, int32_t highest, int forms, int standing) {
  PluralNumbering numbering;
  for (const PluralMessage& m : messages) numbering.byNumber.push_back(&m);
  std::sort(numbering.byNumber.begin(), numbering.byNumber.end(),
            [](const PluralMessage* a, const PluralMessage* b) { return a->number < b->number; });
  long next = static_cast<long>(highest) + 1;
  for (const PluralMessage* m : numbering.byNumber) {
    numbering.entries.push_back({m->number, standing, next, m->countArgument, m->leftOut});
    next += forms - 1;
  }
  numbering.tableNumber = next;
  return numbering;
}

bool CatalogueRule(format::PluralRule& rule, std::string& text, PluralFault& fault) {
  std::string why;
  if (const MsgMetaSymbol* meta = FindMetaSymbol(kPluralFormsMeta); meta != nullptr) {
    text = meta->value;
    if (rule.Parse(text, why) && rule.Check(why)) return true;
    fault.kind = PluralFault::Kind::kRule;
    fault.at = {meta->srcIndex, meta->line};
    fault.symbol = kPluralFormsMeta;
    fault.detail = why;
    return false;
  }
  text = kDefaultPluralForms;
  if (const MsgMetaSymbol* meta = FindMetaSymbol(kLanguageMeta); meta != nullptr) {
    const format::PluralTableRow* row = format::FindPluralRule(meta->value);
    if (row == nullptr) {
      fault.kind = PluralFault::Kind::kNoRuleForLanguage;
      fault.at = {meta->srcIndex, meta->line};
      fault.symbol = kLanguageMeta;
      fault.detail = meta->value;
      return false;
    }
    text = row->plural_forms;
  }
  return rule.Parse(text, why);
}

int CheckPluralCatalogue(const std::vector<PluralMessage>& messages, int32_t highest) {
  format::PluralRule rule;
  std::string& text = msgState->pluralRule;
  PluralFault ruleFault;
  if (!CatalogueRule(rule, text, ruleFault)) {
    // A language without a rule matters only to plural messages.
    if (ruleFault.kind == PluralFault::Kind::kRule || !messages.empty()) return Report(ruleFault);
    return 0;
  }
  if (messages.empty()) return 0;
  const format::PluralFacts facts = format::FactsOf(rule);
  msgState->pluralFacts = facts;
  msgState->pluralForms = rule.forms();
  int faults = 0;
  for (const PluralMessage& m : messages) {
    PluralFault fault;
    fault.at = m.at;
    fault.symbol = m.symbol;
    if (static_cast<int>(m.stored.size()) != rule.forms()) {
      fault.kind = PluralFault::Kind::kFormCount;
      fault.count = static_cast<int>(m.stored.size());
      fault.expected = rule.forms();
      faults += Report(fault);
      continue;
    }
    const unsigned refused = m.leftOut & ~facts.single_count;
    if (refused != 0) {
      fault.kind = PluralFault::Kind::kCountLeftOut;
      fault.form = __builtin_ctz(refused);
      fault.argument = m.countArgument;
      faults += Report(fault);
    }
  }
  if (faults == 0 && static_cast<long>(highest) + static_cast<long>(messages.size()) * (rule.forms() - 1) + 1 >
                         format::kHighestMessageNumber) {
    PluralFault fault;
    fault.kind = PluralFault::Kind::kNoRoom;
    fault.at = messages.front().at;
    fault.expected = highest;
    faults += Report(fault);
  }
  return faults == 0 ? 0 : 1;
}

bool IsCountConversion(std::string_view conversion) {
  format::Conversion c;
  if (!format::ParsePrintf(conversion, c)) return false;
  const bool length = c.length == format::Length::kNone || c.length == format::Length::kH ||
                      c.length == format::Length::kL;
  return length && std::string_view("diouxX").find(c.letter) != std::string_view::npos;
}

}  // namespace qokit::msgcomp
