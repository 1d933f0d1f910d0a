// Plural rules come from PO headers anyone writes. Whatever the bytes, the
// parser ends without overrunning its bounds, and a rule it takes names a
// form from 0 to forms() - 1 for every count (a division by zero included);
// one that passes Check does so without falling back to form 0 for a count
// it checked, and parsing the same text again gives the same forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "plural_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  qokit::format::PluralRule rule;
  std::string why;
  if (!rule.Parse(text, why)) {
    CHECK(!why.empty());
    return 0;
  }
  CHECK(rule.forms() >= 1 && rule.forms() <= qokit::format::kMaxPluralForms);
  qokit::format::PluralRule again;
  CHECK(again.Parse(text, why));
  static const unsigned long kCounts[] = {0, 1, 2, 5, 11, 21, 101, 999, 1000000, 4294967295ul, ~0ul};
  for (const unsigned long n : kCounts) {
    const int form = rule.FormFor(n);
    CHECK(form >= 0 && form < rule.forms());
    CHECK(again.FormFor(n) == form);
  }
  (void)rule.Check(why);
  return 0;
}
