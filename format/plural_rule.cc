#include "plural_rule.h"

#include <algorithm>
#include <cstring>

namespace qokit::format {

// Recursive descent over the expression, one level per precedence, as C
// binds its operators; every node records its height so that no tree is
// deeper than kMaxRuleDepth, however the parser reached it.
class PluralRule::Parser {
 public:
  Parser(PluralRule& rule, std::string_view text, std::string& why) : rule_(rule), text_(text), why_(why) {}

  bool Whole(std::size_t& root) {
    if (!Conditional(root)) return false;
    Blanks();
    if (pos_ != text_.size()) return Fail("unexpected character in the plural expression");
    return true;
  }

 private:
  // Counts one level of the parser's own recursion for as long as it lives.
  struct Nesting {
    explicit Nesting(int& depth) : depth_(++depth) {}
    ~Nesting() { --depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    int& depth_;
  };

  bool Fail(const char* what) {
    if (why_.empty()) why_ = what;
    return false;
  }
  void Blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool Take(std::string_view token) {
    Blanks();
    if (text_.substr(pos_, token.size()) != token) return false;
    pos_ += token.size();
    return true;
  }
  // A new node over up to three operands.
  bool Add(Op op, std::size_t& out, std::size_t a = 0, std::size_t b = 0, std::size_t c = 0, unsigned long value = 0,
           int operands = 0) {
    if (rule_.count_ == kMaxRuleNodes) return Fail("the plural expression is too long");
    int height = 1;
    const std::size_t kids[] = {a, b, c};
    for (int i = 0; i < operands; ++i) height = std::max(height, heights_[kids[i]] + 1);
    if (height > kMaxRuleDepth) return Fail("the plural expression is nested too deeply");
    out = rule_.count_++;
    rule_.nodes_[out] = Node{op, static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c), value};
    heights_[out] = height;
    return true;
  }

  bool Conditional(std::size_t& out) {
    // Parentheses nest the parser without adding nodes: bounded on their own.
    const Nesting nesting(depth_);
    if (depth_ > kMaxRuleDepth) return Fail("the plural expression is nested too deeply");
    std::size_t test, yes, no;
    if (!Or(test)) return false;
    if (!Take("?")) {
      out = test;
      return true;
    }
    if (!Conditional(yes)) return false;
    if (!Take(":")) return Fail("a ? without its : in the plural expression");
    return Conditional(no) && Add(Op::kIf, out, test, yes, no, 0, 3);
  }

  // One left-associative level: operands of `next`, joined by the operators of `ops`.
  template <std::size_t N>
  bool Level(std::size_t& out, bool (Parser::*next)(std::size_t&), const std::pair<std::string_view, Op> (&ops)[N]) {
    if (!(this->*next)(out)) return false;
    while (true) {
      const std::pair<std::string_view, Op>* found = nullptr;
      for (const auto& op : ops) {
        Blanks();
        // "<" must not take the first character of "<=", nor "!" of "!=".
        if (text_.substr(pos_, op.first.size()) == op.first &&
            (op.first.size() == 2 || text_.substr(pos_ + 1, 1) != "=")) {
          found = &op;
          break;
        }
      }
      if (found == nullptr) return true;
      pos_ += found->first.size();
      std::size_t right;
      if (!(this->*next)(right) || !Add(found->second, out, out, right, 0, 0, 2)) return false;
    }
  }
  bool Or(std::size_t& out) { return Level(out, &Parser::And, kOr); }
  bool And(std::size_t& out) { return Level(out, &Parser::Equality, kAnd); }
  bool Equality(std::size_t& out) { return Level(out, &Parser::Relation, kEquality); }
  bool Relation(std::size_t& out) { return Level(out, &Parser::Sum, kRelation); }
  bool Sum(std::size_t& out) { return Level(out, &Parser::Product, kSum); }
  bool Product(std::size_t& out) { return Level(out, &Parser::Unary, kProduct); }

  bool Unary(std::size_t& out) {
    Blanks();
    if (text_.substr(pos_, 1) == "!" && text_.substr(pos_, 2) != "!=") {
      ++pos_;
      const Nesting nesting(depth_);
      if (depth_ > kMaxRuleDepth) return Fail("the plural expression is nested too deeply");
      std::size_t operand;
      return Unary(operand) && Add(Op::kNot, out, operand, 0, 0, 0, 1);
    }
    return Primary(out);
  }

  bool Primary(std::size_t& out) {
    Blanks();
    if (pos_ == text_.size()) return Fail("the plural expression ends too early");
    const char c = text_[pos_];
    if (c == 'n') {
      ++pos_;
      return Add(Op::kN, out);
    }
    if (c >= '0' && c <= '9') {
      unsigned long value = 0;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
        if (value > 99999999) return Fail("a number in the plural expression is too large");
        value = value * 10 + static_cast<unsigned long>(text_[pos_++] - '0');
      }
      return Add(Op::kNumber, out, 0, 0, 0, value);
    }
    if (c == '(') {
      ++pos_;
      if (!Conditional(out)) return false;
      if (!Take(")")) return Fail("a ( without its ) in the plural expression");
      return true;
    }
    return Fail("unexpected character in the plural expression");
  }

  static constexpr std::pair<std::string_view, Op> kOr[] = {{"||", Op::kOr}};
  static constexpr std::pair<std::string_view, Op> kAnd[] = {{"&&", Op::kAnd}};
  static constexpr std::pair<std::string_view, Op> kEquality[] = {{"==", Op::kEq}, {"!=", Op::kNotEq}};
  static constexpr std::pair<std::string_view, Op> kRelation[] = {
      {"<=", Op::kLessEq}, {">=", Op::kGreaterEq}, {"<", Op::kLess}, {">", Op::kGreater}};
  static constexpr std::pair<std::string_view, Op> kSum[] = {{"+", Op::kAdd}, {"-", Op::kSub}};
  static constexpr std::pair<std::string_view, Op> kProduct[] = {{"*", Op::kMul}, {"/", Op::kDiv}, {"%", Op::kMod}};

  PluralRule& rule_;
  std::string_view text_;
  std::string& why_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::array<int, kMaxRuleNodes> heights_{};
};

namespace {

// The value after "name=" in a header field's value; empty when absent.
std::string_view Setting(std::string_view text, std::string_view name) {
  std::size_t at = 0;
  while ((at = text.find(name, at)) != std::string_view::npos) {
    // "plural=" must not be found inside "nplurals=".
    const bool word = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t' || text[at - 1] == ';';
    if (word && text.substr(at + name.size(), 1) == "=") {
      std::string_view value = text.substr(at + name.size() + 1);
      return value.substr(0, value.find(';'));
    }
    at += name.size();
  }
  return {};
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool PluralRule::Parse(std::string_view plural_forms, std::string& why) {
  *this = PluralRule{};
  why.clear();
  const std::string_view nplurals = Trimmed(Setting(plural_forms, "nplurals"));
  const std::string_view expression = Trimmed(Setting(plural_forms, "plural"));
  if (nplurals.empty() || expression.empty()) {
    why = "a plural rule needs nplurals=N; plural=EXPRESSION;";
    return false;
  }
  if (nplurals.size() > 2 || nplurals.find_first_not_of("0123456789") != std::string_view::npos ||
      std::stoi(std::string(nplurals)) < 1 || std::stoi(std::string(nplurals)) > kMaxPluralForms) {
    why = "nplurals must be a number from 1 to " + std::to_string(kMaxPluralForms);
    return false;
  }
  if (expression.size() > kMaxRuleLength) {
    why = "the plural expression is too long";
    return false;
  }
  Parser parser(*this, expression, why);
  if (!parser.Whole(root_)) {
    *this = PluralRule{};
    return false;
  }
  forms_ = std::stoi(std::string(nplurals));
  return true;
}

bool PluralRule::Eval(std::size_t k, unsigned long n, unsigned long& out) const {
  const Node& node = nodes_[k];
  unsigned long a = 0, b = 0;
  switch (node.op) {
    case Op::kN: out = n; return true;
    case Op::kNumber: out = node.value; return true;
    case Op::kNot:
      if (!Eval(node.a, n, a)) return false;
      out = !a;
      return true;
    case Op::kAnd:
    case Op::kOr:
      if (!Eval(node.a, n, a)) return false;
      if ((a != 0) == (node.op == Op::kOr)) {
        out = node.op == Op::kOr;
        return true;
      }
      if (!Eval(node.b, n, b)) return false;
      out = b != 0;
      return true;
    case Op::kIf:
      if (!Eval(node.a, n, a)) return false;
      return Eval(a != 0 ? node.b : node.c, n, out);
    default: break;
  }
  if (!Eval(node.a, n, a) || !Eval(node.b, n, b)) return false;
  switch (node.op) {
    case Op::kMul: out = a * b; break;
    case Op::kDiv:
    case Op::kMod:
      if (b == 0) return false;
      out = node.op == Op::kDiv ? a / b : a % b;
      break;
    case Op::kAdd: out = a + b; break;
    case Op::kSub: out = a - b; break;
    case Op::kLess: out = a < b; break;
    case Op::kGreater: out = a > b; break;
    case Op::kLessEq: out = a <= b; break;
    case Op::kGreaterEq: out = a >= b; break;
    case Op::kEq: out = a == b; break;
    case Op::kNotEq: out = a != b; break;
    default: return false;
  }
  return true;
}

int PluralRule::FormFor(unsigned long n) const {
  unsigned long form = 0;
  if (forms_ == 0 || !Eval(root_, n, form) || form >= static_cast<unsigned long>(forms_)) return 0;
  return static_cast<int>(form);
}

bool PluralRule::Check(std::string& why) const {
  for (unsigned long n = 0; n < kRuleCheckedCounts; ++n) {
    unsigned long form = 0;
    if (!Eval(root_, n, form)) {
      why = "the plural expression divides by zero for n = " + std::to_string(n);
      return false;
    }
    if (form >= static_cast<unsigned long>(forms_)) {
      why = "the plural expression gives form " + std::to_string(form) + " for n = " + std::to_string(n) +
            ", but there are only " + std::to_string(forms_);
      return false;
    }
  }
  return true;
}

}  // namespace qokit::format
