#include "plural_layout.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "compiled_form.h"
#include "insert_syntax.h"
#include "object_format.h"

namespace qokit::format {

namespace {

// The rule line's longest text: "nplurals=N; plural=" and blanks around an
// expression of kMaxRuleLength characters.
constexpr std::size_t kMaxRuleLine = kMaxRuleLength + 64;

[[gnu::format(printf, 2, 3)]] bool Fail(PluralLayoutError& error, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(error.detail, sizeof error.detail, format, args);
  va_end(args);
  return false;
}

// The same for Next, which reports a step.
[[gnu::format(printf, 2, 3)]] PluralTableReader::Step Fault(PluralLayoutError& error, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(error.detail, sizeof error.detail, format, args);
  va_end(args);
  return PluralTableReader::Step::kFault;
}

// Takes one field (digits up to the next blank or the end, as the writer
// writes them: no sign, no leading zero) off `line`.
bool TakeNumber(std::string_view& line, long& value) {
  const std::size_t end = std::min(line.find(' '), line.size());
  if (end == 0 || end > 5 || line[0] < '0' || line[0] > '9' || (line[0] == '0' && end > 1)) return false;
  const char* first = line.data();
  const auto result = std::from_chars(first, first + end, value);
  if (result.ec != std::errc{} || result.ptr != first + end) return false;
  line.remove_prefix(end == line.size() ? end : end + 1);
  return true;
}

}  // namespace

PluralFacts FactsOf(const PluralRule& rule) {
  PluralFacts facts;
  std::array<unsigned long, kMaxPluralForms> counts{};
  facts.first_count.fill(kRuleCheckedCounts);
  for (unsigned long n = 0; n < kRuleCheckedCounts; ++n) {
    const int form = rule.FormFor(n);
    if (counts[form]++ == 0) facts.first_count[form] = n;
  }
  for (int form = 0; form < rule.forms(); ++form) {
    if (counts[form] >= counts[facts.standing]) facts.standing = form;
    if (counts[form] == 1) facts.single_count |= 1u << form;
  }
  return facts;
}

bool WritePluralTable(std::string_view plural_forms, const std::vector<PluralEntry>& entries,
                      std::string& compiled) {
  compiled.assign(1, static_cast<char>(kInOrderFlag));
  compiled.append(kPluralTableHeader).push_back('\n');
  for (const char c : plural_forms) {
    if (c == '%') {
      compiled += "%%";
    } else if (c == '\t' || c == ' ') {
      compiled += ' ';
    } else if (c > ' ' && c < 0x7f) {
      compiled += c;
    } else {
      return false;
    }
  }
  compiled += '\n';
  char line[64];
  for (const PluralEntry& e : entries) {
    std::snprintf(line, sizeof line, "%ld %d %ld %d ", e.number, e.standing, e.first_other, e.count_argument);
    compiled += line;
    if (e.left_out == 0) compiled += '-';
    for (int form = 0; form < kMaxPluralForms; ++form) {
      if ((e.left_out >> form & 1u) != 0) compiled += static_cast<char>('0' + form);
    }
    compiled += '\n';
  }
  compiled += '\0';
  return true;
}

bool PluralTableReader::Line(std::string_view& line, PluralLayoutError& error) {
  const std::size_t end = rest_.find('\n');
  if (end == std::string_view::npos) return Fail(error, "line %ld of the plural table does not end", lines_ + 1);
  line = rest_.substr(0, end);
  rest_.remove_prefix(end + 1);
  ++lines_;
  return true;
}

bool PluralTableReader::Start(std::string_view compiled, long highest_symbol, long table_number,
                              PluralLayoutError& error) {
  *this = PluralTableReader{};
  error = PluralLayoutError{};
  if (highest_symbol < 1 || table_number <= highest_symbol || table_number > kHighestMessageNumber) {
    return Fail(error, "the plural table's number %ld is not above the highest symbol's %ld", table_number,
                highest_symbol);
  }
  if (compiled.size() < 2 || compiled.front() != static_cast<char>(kInOrderFlag) || compiled.back() != '\0' ||
      compiled.find('\0', 1) != compiled.size() - 1) {
    return Fail(error, "the plural table is not an in-order text");
  }
  rest_ = compiled.substr(1, compiled.size() - 2);
  highest_symbol_ = highest_symbol;
  table_number_ = table_number;
  next_form_ = highest_symbol + 1;

  std::string_view line;
  if (!Line(line, error)) return false;
  if (line != kPluralTableHeader) {
    return line.starts_with("qokit-plural ") ? Fail(error, "the plural table has a layout this reader does not know")
                                             : Fail(error, "the plural table has no header line");
  }
  if (!Line(line, error)) return false;
  rule_line_ = line;
  // The rule with each "%%" read as "%", in a buffer of its largest size.
  std::array<char, kMaxRuleLine> text;
  std::size_t length = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '%' && (i + 1 == line.size() || line[++i] != '%')) {
      return Fail(error, "the plural rule holds a %% that is not doubled");
    }
    if (line[i] < ' ' || line[i] >= 0x7f) return Fail(error, "the plural rule holds a byte that is not printable");
    if (length == text.size()) return Fail(error, "the plural rule is longer than %zu characters", kMaxRuleLine);
    text[length++] = line[i];
  }
  std::string why;
  if (!rule_.Parse({text.data(), length}, why) || !rule_.Check(why)) {
    std::snprintf(error.detail, sizeof error.detail, "the plural rule is refused: %s", why.c_str());
    return false;
  }
  facts_ = FactsOf(rule_);
  return true;
}

PluralTableReader::Step PluralTableReader::Next(PluralEntry& entry, PluralLayoutError& error) {
  error = PluralLayoutError{};
  if (rest_.empty()) {
    if (lines_ == 2) return Fault(error, "the plural table lists no message");
    if (next_form_ != table_number_) {
      return Fault(error, "the plural forms end at message %ld, but the table is message %ld", next_form_ - 1,
                  table_number_);
    }
    return Step::kEnd;
  }
  std::string_view line;
  if (!Line(line, error)) return Step::kFault;
  const long at = lines_;
  long number = 0, standing = 0, first_other = 0, count = 0;
  if (!TakeNumber(line, number) || !TakeNumber(line, standing) || !TakeNumber(line, first_other) ||
      !TakeNumber(line, count) || line.empty()) {
    return Fault(error, "line %ld of the plural table is malformed", at);
  }
  if (number <= previous_ || number > highest_symbol_) {
    return Fault(error, "line %ld of the plural table names message %ld out of order or above the symbols", at,
                number);
  }
  if (standing != facts_.standing) {
    return Fault(error, "line %ld of the plural table stands form %ld, not the rule's", at, standing);
  }
  if (first_other != next_form_) {
    return Fault(error, "line %ld of the plural table puts the forms at %ld, not where the last ones ended", at,
                first_other);
  }
  if (count > kMaxArgumentNumber) {
    return Fault(error, "line %ld of the plural table names count argument %ld", at, count);
  }
  unsigned left_out = 0;
  if (line != "-") {
    int last = -1;
    for (const char c : line) {
      const int form = c - '0';
      if (c < '0' || c > '9' || form <= last || form >= rule_.forms()) {
        return Fault(error, "line %ld of the plural table lists forms that are not the rule's", at);
      }
      if ((facts_.single_count >> form & 1u) == 0 || count == 0) {
        return Fault(error, "line %ld of the plural table leaves the count out of form %d", at, form);
      }
      left_out |= 1u << form;
      last = form;
    }
  }
  entry = PluralEntry{number, static_cast<int>(standing), first_other, static_cast<int>(count), left_out};
  previous_ = number;
  next_form_ += rule_.forms() - 1;
  if (next_form_ > table_number_) {
    return Fault(error, "line %ld of the plural table puts forms past the table", at);
  }
  return Step::kEntry;
}

}  // namespace qokit::format
