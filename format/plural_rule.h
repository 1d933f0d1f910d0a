// Plural rules: which of a language's plural forms a count takes, written as
// gettext's Plural-Forms header writes them,
//   nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 &&
//                       (n%100<10 || n%100>=20) ? 1 : 2);
// with C's operators on unsigned long values: ?: || && == != < > <= >=
// + - * / % ! and parentheses, the variable n and decimal numbers. Nothing
// else is accepted, and the size of a rule is bounded (its text, its nodes
// and its nesting), so a rule from any file is evaluated in bounded time and
// stack and never divides by zero: a count that would is given form 0, as
// is one the rule sends past the last form (what glibc's ngettext does).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qokit::format {

inline constexpr int kMaxPluralForms = 6;          // Arabic and Welsh have six
inline constexpr std::size_t kMaxRuleLength = 512;  // characters of the expression
inline constexpr int kMaxRuleDepth = 24;           // nesting of operators
inline constexpr std::size_t kMaxRuleNodes = 128;
// Counts 0 .. kRuleCheckedCounts - 1 are those a rule is checked on, and
// whose distribution decides which form stands for all (see plural-forms.md).
inline constexpr unsigned long kRuleCheckedCounts = 1000;

class PluralRule {
 public:
  // Reads "nplurals=N; plural=EXPR;" (the value of a Plural-Forms header
  // field); false with what is wrong in `why`.
  [[nodiscard]] bool Parse(std::string_view plural_forms, std::string& why);

  int forms() const { return forms_; }
  // The form a count takes, 0 to forms() - 1.
  int FormFor(unsigned long n) const;
  // False with `why` when the rule divides by zero or names no form for a
  // count of 0 .. kRuleCheckedCounts - 1 (msgfmt refuses such rules too).
  [[nodiscard]] bool Check(std::string& why) const;

 private:
  enum class Op : uint8_t { kN, kNumber, kNot, kMul, kDiv, kMod, kAdd, kSub, kLess, kGreater, kLessEq, kGreaterEq,
                            kEq, kNotEq, kAnd, kOr, kIf };
  struct Node {
    Op op = Op::kNumber;
    uint8_t a = 0, b = 0, c = 0;  // operands, by index
    unsigned long value = 0;      // kNumber
  };
  class Parser;

  // The value of node k for n; false on a division by zero.
  bool Eval(std::size_t k, unsigned long n, unsigned long& out) const;

  std::array<Node, kMaxRuleNodes> nodes_{};
  std::size_t count_ = 0;
  std::size_t root_ = 0;
  int forms_ = 0;
};

}  // namespace qokit::format
