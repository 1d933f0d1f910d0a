// The lint of message sources: one pass with the compiler's own parser,
// symbol table and insert checks, reporting every fault of every entry that
// would make `qogenmsg genobj` refuse the sources, and what is legal but
// likely wrong:
//   - a base text that a translation would push past the text limit;
//   - invalid UTF-8 in a text or response;
//   - a blank or tab before a line end inside a text;
//   - a backslash that begins no escape (it stays in the text);
//   - a meta-symbol that sets nothing.
// Plural messages get every check the compiler makes of them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check_messages.h"
#include "plural_messages.h"

namespace qokit::check {

// A numbered message as the lint entered it (duplicates left out).
struct CheckedMessage {
  int32_t number = 0;
  int severity = 0;
  std::string symbol;
  std::string response;
  bool sound = false;     // its inserts passed both passes' checks
  std::string signature;  // its argument signature, when sound (of every form of a plural message)
  int32_t file = 0;       // index into LintResult::files
  long line = 0;
  int forms = 0;          // a plural message's forms; 0 for an ordinary message
  int countArgument = 0;  // a plural message's count argument, 0 for none
};

struct LintResult {
  std::vector<std::string> files;
  std::vector<CheckedMessage> messages;  // in source order
  std::vector<msgcomp::PluralMessage> plurals;  // the plural messages that passed their own checks
  std::vector<std::string> brokenSymbols;  // symbols of entries refused by a syntax error
  int maxInserts = 0;
  // The forms of the catalogue's plural rule (0 when its rule is refused):
  // with one form (Japanese) a plural message of the base is an ordinary one.
  int pluralForms = 0;
};

// Bytes a text may take so that a translation still fits: each ASCII letter
// is reckoned at 2.5 bytes, every other byte at 1. A Latin letter becomes a
// 2-byte letter in Cyrillic, Greek, Arabic or Hebrew, whose translations run
// about a fifth longer; a 3-byte CJK character stands for two or more Latin
// letters. Conversions of inserts are not translated and count as they are.
long ProjectedTranslationBytes(const char* text);

// Whose texts the sources hold: the base language's, which translations
// will lengthen, or a translation's, which is as long as it will be.
enum class TextsOf { kBase, kTranslation };

// Lints the sources, read as one stream like the compiler reads them (at most
// kMaxSourceFiles). Findings go to `out`. False when the sources could not be
// read at all (reported), true otherwise, whatever was found.
[[nodiscard]] bool LintSources(std::span<const char* const> files, Findings& out, LintResult& result,
                               TextsOf texts = TextsOf::kBase);

}  // namespace qokit::check
