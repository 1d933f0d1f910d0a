// How a catalogue stores its plural messages, one definition for the compiler
// that writes them, the reader that checks and uses them and the dump tool.
//
// A plural message keeps its number, and there its compiled text is its
// standing form (the one most counts take), so a reader that knows nothing
// of plurals sees an ordinary message with the full argument signature. Its
// other forms are ordinary messages above H, the highest number of the
// symbol file: the plural messages in number order, each one's forms other
// than the standing one in form order, from H + 1 up. A form that leaves the
// count out is stored with the count's insert appended, so that every stored
// form has the message's signature. The plural table is the message at the
// highest number D, right after the forms: an in-order compiled text (flag
// 1) of printable ASCII lines, each ending in a line feed, "%" written "%%":
//   qokit-plural 1
//   nplurals=3; plural=(n%%10==1 && n%%100!=11 ? 0 : ...);
//   120 2 801 1 0
//   NUMBER STANDING FIRST-OTHER COUNT LEFT-OUT
// one line per plural message, in number order: its number, its standing
// form, the number of its first other form, its count argument (0 for none)
// and the forms that leave the count out (ascending digits, or "-").
// The control block's bytes 23..31 say where (object_format.h): the layout
// (1), D and H. In a catalogue without plural messages they stay 0.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "plural_rule.h"

namespace qokit::format {

inline constexpr int kPluralLayout = 1;
inline constexpr std::string_view kPluralTableHeader = "qokit-plural 1";

// What a rule's distribution of the counts 0 .. kRuleCheckedCounts - 1 says.
struct PluralFacts {
  // The form most counts take (the later one on a tie): never a single-count
  // form, so it always shows every argument.
  int standing = 0;
  // Bit f: form f is given to exactly one count; only such a form may leave
  // the count out, since its number is implied.
  unsigned single_count = 0;
  // The smallest count each form is given (kRuleCheckedCounts for none).
  std::array<unsigned long, kMaxPluralForms> first_count{};
};
PluralFacts FactsOf(const PluralRule& rule);

// One line of the table.
struct PluralEntry {
  long number = 0;          // the message's own number
  int standing = 0;         // the form stored at `number`
  long first_other = 0;     // where its other forms start, in form order
  int count_argument = 0;   // 1-based; 0 when the message has no count
  unsigned left_out = 0;    // bit f: form f leaves the count out
};

// The number at which form `form` of `entry` is stored.
constexpr long FormNumber(const PluralEntry& entry, int form) {
  if (form == entry.standing) return entry.number;
  return entry.first_other + (form < entry.standing ? form : form - 1);
}

// The compiled form (flag 1, the lines, NUL) of the table for the rule
// `plural_forms` (one PluralRule::Parse accepted; a tab is written as a
// blank, which the rule reads alike) and `entries`, in number order. False
// when the rule holds a byte that is not printable ASCII.
[[nodiscard]] bool WritePluralTable(std::string_view plural_forms, const std::vector<PluralEntry>& entries,
                                    std::string& compiled);

struct PluralLayoutError {
  char detail[160] = "";
};

// Reads a table's compiled form line by line, allocating nothing but what a
// refused rule's message needs: Start checks the header and the rule, each
// Next one entry against the rule and the numbers H and D. The bounds are
// the catalogue's: every entry's number in 1..H, ascending; its forms
// exactly where the layout puts them, the last ending right below D.
class PluralTableReader {
 public:
  enum class Step { kEntry, kEnd, kFault };

  // `compiled` is the compiled text of message D; `highest_symbol` is H.
  [[nodiscard]] bool Start(std::string_view compiled, long highest_symbol, long table_number,
                           PluralLayoutError& error);
  [[nodiscard]] Step Next(PluralEntry& entry, PluralLayoutError& error);

  const PluralRule& rule() const { return rule_; }
  // The rule line as stored, each "%" written "%%".
  std::string_view rule_line() const { return rule_line_; }
  const PluralFacts& facts() const { return facts_; }

 private:
  bool Line(std::string_view& line, PluralLayoutError& error);

  std::string_view rest_;
  std::string_view rule_line_;
  long highest_symbol_ = 0;
  long table_number_ = 0;
  long previous_ = 0;     // the number of the last entry read
  long next_form_ = 0;    // where the next entry's other forms must start
  long lines_ = 0;        // lines read, for the messages
  PluralRule rule_;
  PluralFacts facts_;
};

}  // namespace qokit::format
