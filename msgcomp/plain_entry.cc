#include "plain_entry.h"

#include <cstddef>
#include <cstring>
#include <iterator>

#include "source_reader.h"
#include "source_scan.h"

namespace qokit::msgcomp {

bool ReadPlainEntry(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response,
                    int32_t* srcIndex, long* line) {
  SourceCursor& cur = Cursor();
  if (cur.file >= msgState->numSrcFiles) return false;  // every source has ended
  const char* p = cur.at;  // the NUL after the source stops every run
  // Lines are counted along the way, from where the last count ended.
  long lines = msgState->sourceBytes.LineOf(cur.file, p);
  auto skipSpaces = [&p, &lines] {
    for (; IsSpace(*p); ++p) lines += *p == '\n';
  };
  skipSpaces();
  const char* const number = p;
  const long numberLine = lines;
  // The value is taken along the way; ten digits, the most an entry may
  // have, cannot overflow it, and more send the entry to the exact reader.
  long value = 0;
  for (; IsDigit(*p) && p - number < kMaxNumberDigits; ++p) value = value * 10 + (*p - '0');
  if (p == number || IsDigit(*p)) return false;
  skipSpaces();
  if (!IsAlpha(*p) || IsAlpha(p[1])) return false;
  const int code = SeverityOf(*p++);
  if (value > kMaxMsgNum || code < 0) return false;
  skipSpaces();
  if (!IsAlpha(*p)) return false;
  const char* const name = p;
  while (IsSymbolChar(*p)) ++p;
  const long nameLength = p - name;
  if (nameLength > kMaxSymbolLen) return false;
  skipSpaces();
  const char* reply = "";  // memcpy's source must not be null even for zero bytes
  long replyLength = 0;
  if (*p == '[') {
    reply = ++p;
    for (; *p != ']' && *p != '\\' && *p != '\0'; ++p) lines += *p == '\n';
    replyLength = p - reply;
    if (*p != ']' || replyLength > kMaxResponseLen) return false;
    ++p;
    skipSpaces();
  }
  // The strings are copied only once the whole entry has been found sound; a
  // line feed splits a piece, so that it is counted.
  struct Piece {
    const char* at;
    std::size_t length;
  };
  Piece pieces[8];
  std::size_t count = 0, textLength = 0;
  while (*p == '"') {
    ++p;
    for (;;) {
      const std::size_t n = std::strcspn(p, "\"\\\n");
      if (count == std::size(pieces)) return false;
      if (p[n] == '\n') {
        pieces[count++] = {p, n + 1};
        textLength += n + 1;
        ++lines;
        p += n + 1;
        continue;
      }
      if (p[n] != '"') return false;
      pieces[count++] = {p, n};
      textLength += n;
      p += n + 1;
      break;
    }
    skipSpaces();
  }
  if (count == 0 || textLength > static_cast<std::size_t>(kMaxTextLen)) return false;
  const bool lastSource = cur.file + 1 == msgState->numSrcFiles;
  if (!IsDigit(*p) && !(p == cur.end && lastSource)) return false;

  *msgNum = static_cast<int32_t>(value);
  *severity = code;
  std::memcpy(symbol, name, static_cast<std::size_t>(nameLength));
  symbol[nameLength] = '\0';
  std::memcpy(response, reply, static_cast<std::size_t>(replyLength));
  response[replyLength] = '\0';
  for (std::size_t i = 0, at = 0; i < count; at += pieces[i++].length) std::memcpy(text + at, pieces[i].at, pieces[i].length);
  text[textLength] = '\0';
  *srcIndex = cur.file;
  *line = numberLine;
  msgState->sourceBytes.Mark(cur.file, p, lines);
  cur.at = p;
  // At the end of the last source the byte-by-byte reader has looked past it.
  if (p == cur.end) EndOfAllSources(cur);
  return true;
}

}  // namespace qokit::msgcomp
