// Whole message sources as a list of entries: read with the compiler's
// parser, and written back in the syntax it reads.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "source_text.h"

namespace qokit::msgcomp {

struct SourceEntry {
  int32_t number = 0;  // 0 for a meta-symbol
  int32_t severity = 0;
  std::string symbol;
  std::string text;      // escapes replaced
  std::string response;
  int32_t source = 0;    // index of the source file the entry begins in
  long line = 0;
  std::vector<std::string> forms = {};  // a plural message's forms, all of them (the first is `text`); else empty
  int count_argument = 0;          // named by "{@k}" in the source; 0 when not named
};

// Reads every entry of the sources, taken as one stream as the compiler
// takes them. 0, or 1 after the parser's message (nothing is kept then).
// At most kMaxSourceFiles names.
[[nodiscard]] int ReadSourceEntries(std::span<const char* const> names, std::vector<SourceEntry>& entries);

// The same, one entry at a time, for a caller that need not hold them all:
// `visit` sees each entry in turn (it may move from it). 0, or 1 after the
// parser's message, when the entries visited so far are all there were.
[[nodiscard]] int VisitSourceEntries(std::span<const char* const> names,
                                     const std::function<void(SourceEntry&)>& visit);

// What keeps an entry from being written as a source that the parser reads
// back as the same entry: a symbol it does not read as one, a response over
// kMaxResponseLen bytes or holding a NUL byte or a "]", a text over
// kMaxTextLen bytes or holding a NUL byte (the parser drops NUL bytes), in
// any of a plural message's forms.
enum class SourceEntryFault { kNone, kSymbol, kResponse, kText };
SourceEntryFault FindSourceEntryFault(const SourceEntry& entry);

// Appends an entry in the wrapped layout of format::AppendSourceEntry. False
// when the response holds a "]", which the syntax cannot express.
[[nodiscard]] bool AppendSourceEntry(std::string& out, const SourceEntry& entry);

}  // namespace qokit::msgcomp
