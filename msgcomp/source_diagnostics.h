// Where the compiler's stages report the faults they find in message sources.
//
// qogenmsg leaves msgState->diagnostics null: the parser and the insert
// checks then print the compiler's fixed texts and the pass stops at the
// first fault. A tool that wants every fault of every entry (the checker)
// points it at its own reporter; the parser then also resynchronises after a
// syntax error (see ReadMessage) so that the pass can go on.
#pragma once

#include <cstdint>

#include "messages.h"

namespace qokit::msgcomp {

// A place in the sources: the index of a source in msgState and a line in it.
struct SourcePlace {
  int32_t file = 0;
  long line = 0;
};

// Why the parser refused an entry; the compiler's texts only name the part
// of the entry (SyntaxFault::what), a reporter may say more.
enum class SyntaxCause {
  kNoNumber,          // a byte other than a digit where an entry must begin
  kNumberTooLong,     // an eleventh digit
  kNumberOutOfRange,  // above the highest message number
  kNoSeverity,        // no letter after the number
  kSeverityTooLong,   // a letter directly after the severity letter
  kUnknownSeverity,   // a letter that is no severity
  kNoSymbol,          // no letter where the symbol must begin
  kSymbolTooLong,     // a symbol character beyond the longest symbol
  kResponseTooLong,   // a response byte beyond the longest response
  kNoText,            // no double quote where the text must begin
  kTextTooLong,       // a text byte beyond the longest text
  kNoNextEntry,       // after a text, neither a string, "|" nor the next entry
  kBadCount,          // "{" not followed by "@", an argument number and "}"
  kTooManyForms,      // a "|" after the most forms a plural rule has
  kStraySlash,        // a "/" that begins no comment
  kEndInComment,      // the sources end inside a comment
  kEndInString,       // ... inside a text string or a response
  kEndInEntry,        // ... elsewhere inside an entry (or after a backslash)
};

// One syntax error, as the parser knows it when it stops.
struct SyntaxFault {
  const char* what = nullptr;  // the compiler's name of the part (kNumberError, ...); null for a premature end
  SyntaxCause cause = SyntaxCause::kNoNumber;
  SourcePlace at;              // where the offending byte was read (the end for a premature end)
  bool inEntry = false;        // an entry's number had begun
  SourcePlace entry;           // where that number began
  const char* symbol = nullptr;  // the entry's symbol once it was read whole, else null
  int byte = -1;               // the offending byte, -1 when there is none
};

// Faults of the second pass over a text (the compiled form); the first pass
// lets these texts through.
enum class CompileFault { kLongDouble, kTooManyStars };

struct PluralFault;

// A reporter of source faults. Insert and compile faults concern the text
// just handed to CheckInserts or CompileMessageText; the reporter knows which
// entry that is.
class SourceDiagnostics {
 public:
  virtual void SyntaxError(const SyntaxFault& fault) = 0;
  // A backslash before a byte that is no escape: the text keeps the backslash.
  virtual void KeptBackslash(SourcePlace at, int next) = 0;
  // Insert and compile faults until the next call concern this form of a
  // plural message (-1: a message's one text).
  virtual void InPluralForm(int form) = 0;
  virtual void InsertError(InsertFault fault, int conversion) = 0;
  virtual void CompileError(CompileFault fault, int conversion) = 0;
  // A plural message's forms, or the catalogue's rule (plural_messages.h).
  virtual void PluralError(const PluralFault& fault) = 0;

 protected:
  ~SourceDiagnostics() = default;
};

}  // namespace qokit::msgcomp
