// Message source text as the kit's tools write it (qomsgdump, qomsgpo
// import), for the message compiler's parser to read back as the same
// entries:
//
//   NUMBER LETTER SYMBOL [RESPONSE] "text" "more text"
//   NUMBER LETTER SYMBOL [RESPONSE] {@COUNT} "form 0"
//       | "form 1" "more of form 1"
//
// The severity is written as its letter, response and text with the
// escapes the parser knows (\\ \a \b \f \n \r \t \v, and \" inside a
// string); a long text is split into strings that the parser joins again.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qokit::format {

// The severity letters; a letter's position is its code (0..8).
inline constexpr char kSeverityLetters[] = "ZTRKIWESL";

// One entry, its text and response without escapes.
struct SourceEntryText {
  long number = 0;  // 0 for a meta-symbol
  int severity = 0;  // 0..8
  std::string_view symbol;
  std::string_view response;
  std::string_view text;
  // A plural message's forms, all of them (`text` is then not written), and
  // its count argument, written as "{@k}" when not 0.
  std::span<const std::string> forms = {};
  int count_argument = 0;
};

enum class TextLayout {
  // Strings of at most 72 columns, broken after a blank or a line feed; the
  // whole entry on one line when it fits in 80 columns, else each string on
  // a line of its own.
  kWrapped,
  // One string for each line of the text, the first beside the symbol.
  kLineFeeds,
};

// Appends one byte of a text or response as the source holds it: its escape
// when it has one, else the byte itself.
void AppendSourceEscaped(std::string& out, char c);

// Appends the entry and its line end. False when the response holds a "]",
// which ends a response in the source; the entry is then written anyway.
[[nodiscard]] bool AppendSourceEntry(std::string& out, const SourceEntryText& entry, TextLayout layout);

}  // namespace qokit::format
