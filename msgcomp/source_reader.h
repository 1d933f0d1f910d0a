// The message sources: opening, closing and rewinding them, and the parser
// that reads them, in command-line order, as one continuous byte stream.
//
// Source format, in short: entries of a number (0..49999; 0 marks a
// meta-symbol), a severity letter, a symbol, an optional "[response]" and one
// or more double-quoted strings joined into the text. White space and
// non-nesting /* comments */ may stand between the parts.
#pragma once

#include <cstdint>
#include <string_view>

#include "source_text.h"
#include "msgsym_types.h"
#include "object_format.h"

namespace qokit::msgcomp {

inline constexpr int kMaxNumberDigits = 10;
inline constexpr int32_t kMaxMsgNum = format::kHighestMessageNumber;
using format::kSeverityLetters;

// One source entry; the caller owns the buffers.
struct MessageRecord {
  int32_t msgNum = 0;
  int32_t severity = 0;
  char symbol[kMaxSymbolLen + 1] = {};
  char text[kMaxTextLen + 1] = {};
  char response[kMaxResponseLen + 1] = {};
  int32_t srcIndex = 0;
  long line = 0;
};

// Opens every source of msgState; 0, or 1 after a message (nothing left open).
[[nodiscard]] int OpenSources();
// Closes every open source.
void CloseSources();
// Puts every source back to its start: the next pass reads from the first byte.
void RewindSources();

// Reads the next entry: 0 with a record, -1 when no entry is left, 1 after a
// syntax error that has been reported. Without msgState->diagnostics the pass
// must then stop; with them the reader has already skipped to the next entry
// start (a digit that begins a line, outside strings, responses and comments)
// and the pass may go on.
[[nodiscard]] int ReadMessage(int32_t* msgNum, int32_t* severity, char* symbol, char* text,
                              char* response, int32_t* srcIndex, long* line);
// The same, into one record.
[[nodiscard]] int ReadMessage(MessageRecord& record);

// Whether a plain entry (no comment, escape or fault) is read in one sweep
// over its bytes, as it is unless turned off, or byte by byte like any other.
// Both read the same; tests compare them.
void SetPlainEntrySweep(bool enabled);

// Sets msgState's curSourceFile and curSourceLine to where the reader
// stands. The reader counts lines only where a message needs one, so these
// two are up to date only after this; nothing changes outside a pass.
void SyncSourcePosition();

// 1 when text is non-empty and every character is a digit 0-9, else 0.
int IsAllDigits(const char* text);
// Whether the parser reads `name` whole as an entry's symbol: a letter, then
// letters, digits and underscores, at most kMaxSymbolLen of them (letters and
// digits as the locale in force classifies them).
bool IsSourceSymbol(std::string_view name);
// The code (0..8) of a severity letter text, or -1.
int SeverityCode(const char* letter);
// The byte a character stands for after a backslash, or -1.
int EscapeChar(int c);

}  // namespace qokit::msgcomp
