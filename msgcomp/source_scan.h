// The reader's view of the message sources: the character classes of the
// locale in force, and the cursor that walks the sources as one stream of
// bytes. Shared by the byte-by-byte reader (source_reader.cc) and the one
// sweep over plain entries (plain_entry.cc); the sources' bytes are those of
// msgState->sourceBytes, each source followed by a NUL that ends every run.
#pragma once

#include <array>
#include <cstdint>

#include "msgstate.h"
#include "source_diagnostics.h"
#include "source_reader.h"

namespace qokit::msgcomp {

// The C library's character classes of the locale in force, looked up once:
// the reader asks about every byte of every pass.
enum : unsigned char { kSpaceClass = 1, kDigitClass = 2, kAlphaClass = 4, kSymbolClass = 8 };
extern std::array<unsigned char, 256> charClasses;
// Fills charClasses from the locale in force; before every pass.
void FillCharClasses();

inline unsigned char ClassOf(int c) { return charClasses[static_cast<unsigned char>(c)]; }
inline bool IsSpace(int c) { return (ClassOf(c) & kSpaceClass) != 0; }
inline bool IsDigit(int c) { return (ClassOf(c) & kDigitClass) != 0; }
inline bool IsAlpha(int c) { return (ClassOf(c) & kAlphaClass) != 0; }
inline bool IsSymbolChar(int c) { return (ClassOf(c) & kSymbolClass) != 0; }

// The code (0..8) of a severity letter, or -1.
inline int SeverityOf(char letter) {
  for (int code = 0; kSeverityLetters[code] != '\0'; ++code) {
    if (kSeverityLetters[code] == letter) return code;
  }
  return -1;
}

inline SourceCursor& Cursor() { return msgState->cursor; }

// A place in the sources while reading; its line is counted only when a
// message or a record needs it.
struct SourcePoint {
  int32_t file = 0;
  const char* at = nullptr;
};

inline SourcePoint Point() { return {Cursor().file, Cursor().at}; }
// The source and line of a place.
SourcePlace PlaceOf(SourcePoint point);
inline SourcePlace Here() { return PlaceOf(Point()); }
// Where the sources ended: the last source, after its last line feed.
SourcePlace EndOfSources();

// Puts the cursor past every source, on a NUL like the one after each
// source, so that the scans for runs stop there too.
void EndOfAllSources(SourceCursor& c);

// After the last byte of a source: the first byte of the next source that
// has one, or -1 once every source has been read to its end.
int NextFromNextSource();

// The next byte of the sources taken as one stream, or -1 after the last one.
inline int NextSourceChar() {
  SourceCursor& c = Cursor();
  if (c.at != c.end) return static_cast<unsigned char>(*c.at++);
  return NextFromNextSource();
}

// Puts back the byte just read, which came from the source being read.
inline void UngetSourceChar() { --Cursor().at; }

}  // namespace qokit::msgcomp
