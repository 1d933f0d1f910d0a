#include "source_scan.h"

#include <cctype>

namespace qokit::msgcomp {

namespace {

constexpr char kAfterTheSources = '\0';

}  // namespace

std::array<unsigned char, 256> charClasses;

void FillCharClasses() {
  for (int c = 0; c < 256; ++c) {
    const bool digit = std::isdigit(c) != 0, alpha = std::isalpha(c) != 0;
    charClasses[c] = static_cast<unsigned char>((std::isspace(c) ? kSpaceClass : 0) | (digit ? kDigitClass : 0) |
                                                (alpha ? kAlphaClass : 0) |
                                                (digit || alpha || c == '_' ? kSymbolClass : 0));
  }
}

SourcePlace PlaceOf(SourcePoint point) {
  MsgCompilerState& st = *msgState;
  if (point.file >= st.numSrcFiles) return {st.numSrcFiles, 1};
  return {point.file, st.sourceBytes.LineOf(point.file, point.at)};
}

SourcePlace EndOfSources() {
  MsgCompilerState& st = *msgState;
  const int32_t last = st.numSrcFiles - 1;
  return {last, st.sourceBytes.LineOf(last, st.sourceBytes.End(last))};
}

void EndOfAllSources(SourceCursor& c) {
  c.file = msgState->numSrcFiles;
  c.at = c.end = &kAfterTheSources;
}

int NextFromNextSource() {
  MsgCompilerState& st = *msgState;
  SourceCursor& c = st.cursor;
  while (c.at == c.end) {
    if (c.file + 1 >= st.numSrcFiles) {
      EndOfAllSources(c);
      return -1;
    }
    ++c.file;
    c.at = st.sourceBytes.Begin(c.file);
    c.end = st.sourceBytes.End(c.file);
  }
  return static_cast<unsigned char>(*c.at++);
}

}  // namespace qokit::msgcomp
