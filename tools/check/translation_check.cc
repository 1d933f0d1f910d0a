#include "translation_check.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "signature.h"

namespace qokit::check {

namespace {

// The messages of one side by symbol and by number; the lint keeps no
// duplicate of either.
struct Side {
  const LintResult& result;
  std::map<std::string_view, const CheckedMessage*> bySymbol;
  std::map<int32_t, const CheckedMessage*> byNumber;

  explicit Side(const LintResult& r) : result(r) {
    for (const CheckedMessage& m : r.messages) {
      bySymbol.emplace(m.symbol, &m);
      byNumber.emplace(m.number, &m);
    }
  }
  const CheckedMessage* Symbol(std::string_view symbol) const {
    const auto found = bySymbol.find(symbol);
    return found == bySymbol.end() ? nullptr : found->second;
  }
  const CheckedMessage* Number(int32_t number) const {
    const auto found = byNumber.find(number);
    return found == byNumber.end() ? nullptr : found->second;
  }
  Where Of(const CheckedMessage& m) const { return {result.files[static_cast<std::size_t>(m.file)], m.line, m.symbol}; }
  bool Broken(std::string_view symbol) const {
    return std::find(result.brokenSymbols.begin(), result.brokenSymbols.end(), symbol) != result.brokenSymbols.end();
  }
};

// Arguments, severity and response of a message found under its symbol.
void CompareMessage(const CheckedMessage& t, const Where& here, const CheckedMessage& b, const Where& there,
                    bool one_form, Findings& out) {
  if (t.sound && b.sound) {
    std::vector<qokit::format::ArgumentSlot> want, have;
    const qokit::format::SignatureDifference d = qokit::format::CompareSignatures(b.signature, t.signature);
    if (d.kind != qokit::format::SignatureDifference::Kind::kNone && qokit::format::SignatureSlots(b.signature, want) &&
        qokit::format::SignatureSlots(t.signature, have)) {
      const auto k = static_cast<std::size_t>(d.argument - 1);
      switch (d.kind) {
        case qokit::format::SignatureDifference::Kind::kCount:
          SayArgumentCount(out, here, static_cast<int>(have.size()), static_cast<int>(want.size()), there);
          break;
        case qokit::format::SignatureDifference::Kind::kType:
          SayArgumentType(out, here, d.argument, have[k].type, want[k].type, there);
          break;
        case qokit::format::SignatureDifference::Kind::kStars:
          SayArgumentStars(out, here, d.argument, have[k].stars, want[k].stars, there);
          break;
        default:
          break;
      }
    }
    // A client formats a plural message with its count: the count must be the
    // same argument on both sides, though the number of forms is each
    // language's; a language of one form writes it as an ordinary message.
    if ((t.forms > 0) != (b.forms > 0) && !(one_form && t.forms == 0)) {
      SayPluralDiffers(out, here, t.forms > 0, there);
    } else if (t.forms > 0 && t.countArgument != b.countArgument) {
      SayCountDiffers(out, here, t.countArgument, b.countArgument, there);
    }
  }
  if (t.severity != b.severity) SaySeverityDiffers(out, here, t.severity, b.severity, there);
  if (t.response != b.response) SayResponseDiffers(out, here, t.response, b.response, there);
}

}  // namespace

void CheckTranslation(const LintResult& base, const LintResult& translated, Findings& out) {
  const Side b(base);
  const Side t(translated);
  for (const CheckedMessage& m : translated.messages) {
    const Where here = t.Of(m);
    if (const CheckedMessage* same = b.Symbol(m.symbol); same != nullptr) {
      if (same->number != m.number) SayNumberDiffers(out, here, m.number, same->number, b.Of(*same));
      CompareMessage(m, here, *same, b.Of(*same), translated.pluralForms == 1, out);
      continue;
    }
    const CheckedMessage* owner = b.Number(m.number);
    // The base's message of this number under another symbol, which the
    // translation lacks: one finding for the pair, not a missing and an extra one.
    if (owner != nullptr && t.Symbol(owner->symbol) == nullptr) {
      SaySymbolDiffers(out, here, m.number, b.Of(*owner));
    } else {
      SayExtra(out, here, owner != nullptr ? std::string_view(owner->symbol) : std::string_view());
    }
  }
  for (const CheckedMessage& m : base.messages) {
    // An entry the translation has, or has but with a syntax error already reported.
    if (t.Symbol(m.symbol) != nullptr || t.Broken(m.symbol)) continue;
    const CheckedMessage* renamed = t.Number(m.number);
    if (renamed != nullptr && b.Symbol(renamed->symbol) == nullptr) continue;  // reported as a symbol that differs
    SayMissing(out, b.Of(m), m.number);
  }
}

}  // namespace qokit::check
