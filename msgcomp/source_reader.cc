#include "source_reader.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_bytes.h"
#include "inserts.h"
#include "messages.h"
#include "msgstate.h"
#include "plain_entry.h"
#include "qokit/nls/nlsstr.h"
#include "source_diagnostics.h"
#include "source_scan.h"

namespace qokit::msgcomp {

namespace {

// After a "/": 0 when a whole comment was consumed, 1 when the "/" began no
// comment, -1 when the sources ended first. The "*" of the opening "/*" does
// not count toward the closing "*/", so "/*/" opens a comment and leaves it open.
int SkipComment() {
  SourceCursor& c = Cursor();
  c.commentFile = c.file;
  c.commentAt = c.at;
  int next = NextSourceChar();
  if (next < 0) return -1;
  if (next != '*') {
    UngetSourceChar();
    return 1;
  }
  int previous = -1;
  for (;;) {
    if (c.at == c.end) {
      // Across the end of a source, as the sources are one stream.
      next = NextFromNextSource();
      if (next < 0) return -1;
      if (next == '/' && previous == '*') return 0;
      previous = next;
      continue;
    }
    const auto* slash = static_cast<const char*>(std::memchr(c.at, '/', static_cast<std::size_t>(c.end - c.at)));
    if (slash == nullptr) {
      previous = static_cast<unsigned char>(c.end[-1]);
      c.at = c.end;
      continue;
    }
    if (slash > c.at) previous = static_cast<unsigned char>(slash[-1]);
    c.at = slash + 1;
    if (previous == '*') return 0;
    previous = '/';
  }
}

// What the parser was reading when it met a fault, so that resynchronising
// reads the rest of the bytes the same way.
enum class Context { kBetween, kString, kResponse, kEntryDone, kEnd };

// Whether only white space stands between the start of the current line and
// the next byte of the sources. A source starts a line.
bool AtLineStart() {
  const SourceCursor& c = Cursor();
  if (c.file >= msgState->numSrcFiles) return true;
  const char* begin = msgState->sourceBytes.Begin(c.file);
  for (const char* p = c.at; p > begin;) {
    --p;
    if (*p == '\n') return true;
    if (!IsSpace(*p)) return false;
  }
  return true;
}

// After a syntax error in a run that reports every fault: reads on to the
// next entry start, the first digit of a line on which only white space
// precedes it, outside any string, response or comment. Only a number may
// start with a digit between the parts of an entry, so such a digit begins an
// entry; one that stands later on its line may be a piece of the broken entry
// (a symbol "9A") and is passed over. An entry whose number follows a comment
// on its line is therefore skipped with the broken one. Nothing to skip when
// the fault was found after the whole entry had been read or at the end.
void Resynchronise(Context context) {
  if (context == Context::kEntryDone || context == Context::kEnd) return;
  bool lineStart = AtLineStart();
  for (;;) {
    const int c = NextSourceChar();
    if (c < 0) return;
    const bool digitAtStart = lineStart && IsDigit(c);
    lineStart = c == '\n' || (lineStart && IsSpace(c));
    if (context == Context::kBetween) {
      if (digitAtStart) {
        UngetSourceChar();
        return;
      }
      if (c == '"') context = Context::kString;
      if (c == '[') context = Context::kResponse;
      if (c == '/' && SkipComment() < 0) return;  // a comment ends in "/": no line start after it
    } else if (c == (context == Context::kString ? '"' : ']')) {
      context = Context::kBetween;
    } else if (c == '\\') {
      const int next = NextSourceChar();
      if (next < 0) return;
      if (EscapeChar(next) < 0) UngetSourceChar();
    }
  }
}

// A bounded, NUL-terminated byte buffer of the caller. NUL bytes from the
// sources are dropped, as appending one to a C string leaves it unchanged.
struct Field {
  char* data;
  int capacity;
  int length = 0;

  bool Full() const { return length >= capacity; }
  int Room() const { return capacity - length; }
  void Append(int c) {
    if (c == 0) return;
    data[length++] = static_cast<char>(c);
    data[length] = '\0';
  }
  // A run of bytes without NUL, no longer than Room().
  void AppendRun(const char* bytes, int n) {
    std::memcpy(data + length, bytes, static_cast<std::size_t>(n));
    length += n;
    data[length] = '\0';
  }
};

// The parts of one entry as they are read, and where number and severity
// began (they are checked only once the whole entry has been read).
struct Entry {
  char numberText[kMaxNumberDigits + 1] = {};
  char severityText[2] = {};
  Field number{numberText, kMaxNumberDigits};
  Field symbol;
  Field text;
  Field response;
  SourcePoint numberAt;
  SourcePoint severityAt;
  bool symbolDone = false;
};

// Reports a syntax error of entry e: the compiler's fixed text, or to the
// run's reporter, which then gets every fault: the offending byte goes back
// and the reader skips to the next entry start. Always false.
bool Fault(const Entry& e, const char* what, SyntaxCause cause, Context context, int byte = -1,
           SourcePlace at = Here()) {
  MsgCompilerState& st = *msgState;
  const int last = st.numSrcFiles - 1;
  if (at.file > last) at.file = last;
  if (st.diagnostics == nullptr) {
    if (what == nullptr) {
      SayPrematureEnd(st.srcFileNames[last]);
    } else {
      SayMissingOrInvalid(what, st.srcFileNames[at.file], at.line);
    }
    return false;
  }
  SyntaxFault fault;
  fault.what = what;
  fault.cause = cause;
  fault.at = at;
  fault.inEntry = e.number.length > 0;
  if (fault.inEntry) fault.entry = PlaceOf(e.numberAt);
  fault.symbol = e.symbolDone ? e.symbol.data : nullptr;
  fault.byte = byte;
  st.diagnostics->SyntaxError(fault);
  if (byte >= 0 && context != Context::kEntryDone) UngetSourceChar();
  Resynchronise(context);
  return false;
}

bool PrematureEnd(const Entry& e, SyntaxCause cause) {
  return Fault(e, nullptr, cause, Context::kEnd, -1, EndOfSources());
}

// Results of the gap skipper besides a byte.
constexpr int kEndOfSources = -1;
constexpr int kReported = -2;

// Skips white space and comments where they may stand between the parts of
// an entry: the first other byte, kEndOfSources when the sources end there,
// or kReported after a "/" that began no comment (reported as `strayError`)
// or a comment the sources ended in.
int SkipGapSlowly(const Entry& e, const char* strayError) {
  for (;;) {
    // The NUL after the source ends the run.
    const char* p = Cursor().at;
    while (IsSpace(*p)) ++p;
    Cursor().at = p;
    const int c = NextSourceChar();
    if (c < 0) return kEndOfSources;
    if (IsSpace(c)) continue;
    if (c != '/') return c;
    const int comment = SkipComment();
    if (comment < 0) {
      const SourceCursor& after = Cursor();
      Fault(e, nullptr, SyntaxCause::kEndInComment, Context::kEnd, -1, PlaceOf({after.commentFile, after.commentAt}));
      return kReported;
    }
    if (comment > 0) {
      Fault(e, strayError, SyntaxCause::kStraySlash, Context::kBetween);
      return kReported;
    }
  }
}

// The same, without a call for the common gap: at most one blank, then a
// byte that is no "/" within the source.
inline int SkipGap(const Entry& e, const char* strayError) {
  SourceCursor& cur = Cursor();
  const char* p = cur.at;
  if (IsSpace(*p)) ++p;
  const int c = static_cast<unsigned char>(*p);
  if (p != cur.end && c != '/' && !IsSpace(c)) {
    cur.at = p + 1;
    return c;
  }
  return SkipGapSlowly(e, strayError);
}

// The next byte where the entry must go on; negative (reported) at the end.
int NextInEntry(const Entry& e, SyntaxCause atEnd = SyntaxCause::kEndInEntry) {
  const int c = NextSourceChar();
  if (c < 0) PrematureEnd(e, atEnd);
  return c;
}

// The next byte after a gap where the entry must go on; negative (reported)
// at the end of the sources or after a stray "/".
int NextAfterGap(const Entry& e, const char* strayError) {
  const int c = SkipGap(e, strayError);
  if (c == kEndOfSources) PrematureEnd(e, SyntaxCause::kEndInEntry);
  return c;
}

// A byte that ends a word goes back to the sources unless it is white space.
void EndWord(int c) {
  if (!IsSpace(c)) UngetSourceChar();
}

// After a backslash in a response or text: the escaped byte, or the
// backslash itself when the next byte is no escape (that byte is read again).
bool AppendEscape(const Entry& e, Field& field) {
  const int next = NextSourceChar();
  if (next < 0) return PrematureEnd(e, SyntaxCause::kEndInString);
  const int byte = EscapeChar(next);
  if (byte >= 0) {
    field.Append(byte);
  } else {
    UngetSourceChar();
    field.Append('\\');
    if (msgState->diagnostics != nullptr) msgState->diagnostics->KeptBackslash(Here(), next);
  }
  return true;
}

// Appends the bytes from the cursor to `runEnd` (in the current source) to
// the field, up to its room. False when a byte of the run finds the field
// full: that byte is then read (the cursor is behind it) and `over` holds it.
bool TakeRun(Field& field, const char* runEnd, int& over) {
  SourceCursor& cur = Cursor();
  const long n = runEnd - cur.at;
  if (n > field.Room()) {
    field.AppendRun(cur.at, field.Room());
    cur.at += field.Room() + 1;
    over = static_cast<unsigned char>(cur.at[-1]);
    return false;
  }
  field.AppendRun(cur.at, static_cast<int>(n));
  cur.at = runEnd;
  return true;
}

// Where the run of symbol characters from the cursor ends; the NUL after the
// source stops it.
const char* SymbolRunEnd() {
  const char* p = Cursor().at;
  while (IsSymbolChar(*p)) ++p;
  return p;
}

// Where the run of ordinary string bytes from the cursor ends: at a double
// quote, a backslash or a NUL (the one after the source included).
const char* StringRunEnd() {
  const char* at = Cursor().at;
  return at + std::strcspn(at, "\"\\");
}

// Where the run of digits from the cursor ends; the NUL after the source
// stops it.
const char* DigitRunEnd() {
  const char* p = Cursor().at;
  while (IsDigit(*p)) ++p;
  return p;
}

// The number from its first digit on: up to kMaxNumberDigits digits.
bool ReadNumber(Entry& e, int first) {
  e.number.Append(first);
  e.numberAt = Point();
  for (;;) {
    int over = 0;
    if (!TakeRun(e.number, DigitRunEnd(), over))
      return Fault(e, kNumberError, SyntaxCause::kNumberTooLong, Context::kBetween, over);
    const int c = NextInEntry(e);  // the byte after the run, perhaps in the next source
    if (c < 0) return false;
    if (!IsDigit(c)) {
      EndWord(c);
      return true;
    }
    if (e.number.Full()) return Fault(e, kNumberError, SyntaxCause::kNumberTooLong, Context::kBetween, c);
    e.number.Append(c);
  }
}

// One letter, not followed by another letter.
bool ReadSeverity(Entry& e) {
  const int c = NextAfterGap(e, kSeverityError);
  if (c < 0) return false;
  if (!IsAlpha(c)) return Fault(e, kSeverityError, SyntaxCause::kNoSeverity, Context::kBetween, c);
  e.severityText[0] = static_cast<char>(c);
  e.severityAt = Point();
  const int after = NextInEntry(e);
  if (after < 0) return false;
  if (IsAlpha(after)) return Fault(e, kSeverityError, SyntaxCause::kSeverityTooLong, Context::kBetween, after);
  EndWord(after);
  return true;
}

// A letter, then letters, digits and underscores.
bool ReadSymbol(Entry& e) {
  int c = NextAfterGap(e, kSymbolError);
  if (c < 0) return false;
  if (!IsAlpha(c)) return Fault(e, kSymbolError, SyntaxCause::kNoSymbol, Context::kBetween, c);
  e.symbol.Append(c);
  for (;;) {
    int over = 0;
    if (!TakeRun(e.symbol, SymbolRunEnd(), over))
      return Fault(e, kSymbolError, SyntaxCause::kSymbolTooLong, Context::kBetween, over);
    c = NextInEntry(e);  // the byte after the run, perhaps in the next source
    if (c < 0) return false;
    if (!IsSymbolChar(c)) {
      EndWord(c);
      e.symbolDone = true;
      return true;
    }
    if (e.symbol.Full()) return Fault(e, kSymbolError, SyntaxCause::kSymbolTooLong, Context::kBetween, c);
    e.symbol.Append(c);
  }
}

// The optional "[response]"; without it the byte read goes back for the text.
bool ReadResponse(Entry& e) {
  int c = NextAfterGap(e, kTextError);
  if (c < 0) return false;
  if (c != '[') {
    UngetSourceChar();
    return true;
  }
  while ((c = NextInEntry(e, SyntaxCause::kEndInString)) != ']') {
    if (c < 0) return false;
    if (e.response.Full()) {
      const char* what = c == '\\' ? kResponseEscapeError : kResponseError;
      return Fault(e, what, SyntaxCause::kResponseTooLong, Context::kResponse, c);
    }
    if (c == '\\') {
      if (!AppendEscape(e, e.response)) return false;
    } else {
      e.response.Append(c);
    }
  }
  return true;
}

// The bytes of one string after its opening quote, through the closing one.
bool ReadString(Entry& e) {
  for (;;) {
    int over = 0;
    if (!TakeRun(e.text, StringRunEnd(), over))
      return Fault(e, kTextError, SyntaxCause::kTextTooLong, Context::kString, over);
    const int c = NextInEntry(e, SyntaxCause::kEndInString);  // a quote, backslash or NUL, or the next source's first byte
    if (c < 0) return false;
    if (c == '"') return true;
    if (e.text.Full()) return Fault(e, kTextError, SyntaxCause::kTextTooLong, Context::kString, c);
    // A backslash that is the second byte of a double-byte character is no escape.
    const bool escapes =
        c == '\\' && (e.text.length == 0 ||
                       nls.nlsGetcType(e.text.data, static_cast<unsigned char>((e.text.length - 1) % 256)) != 1);
    if (escapes) {
      if (!AppendEscape(e, e.text)) return false;
    } else {
      e.text.Append(c);
    }
  }
}

// The optional "{@k}" that names a plural message's count argument;
// without it the byte read goes back for the text.
bool ReadCount(Entry& e) {
  int c = NextAfterGap(e, kTextError);
  if (c < 0) return false;
  if (c != '{') {
    UngetSourceChar();
    return true;
  }
  c = NextInEntry(e);
  if (c < 0) return false;
  if (c != '@') return Fault(e, kTextError, SyntaxCause::kBadCount, Context::kBetween, c);
  int argument = 0;
  while ((c = NextInEntry(e)) >= 0 && IsDigit(c) && argument <= kMaxArgumentNumber) {
    argument = argument * 10 + (c - '0');
  }
  if (c < 0) return false;
  if (c != '}' || argument < 1 || argument > kMaxArgumentNumber) {
    return Fault(e, kTextError, SyntaxCause::kBadCount, Context::kBetween, c);
  }
  msgState->plural.countArgument = argument;
  return true;
}

// After a "|": the text goes on in the next form's buffer. The first form
// stays in the caller's text and is copied beside the others.
bool NextForm(Entry& e) {
  PluralForms& plural = msgState->plural;
  if (plural.count == kMaxPluralForms) {
    return Fault(e, kTextError, SyntaxCause::kTooManyForms, Context::kBetween, '|');
  }
  if (plural.count == 0) {
    std::memcpy(plural.text[0].data(), e.text.data, static_cast<std::size_t>(e.text.length) + 1);
    plural.count = 1;
  }
  e.text = Field{plural.text[plural.count++].data(), kMaxTextLen};
  e.text.data[0] = '\0';
  return true;
}

// One or more strings joined into the text, and for a plural entry after
// each "|" the next form's. The entry ends before the next entry's first
// digit, which stays in the sources, or at their end.
bool ReadStrings(Entry& e) {
  int c = NextAfterGap(e, kTextError);
  if (c < 0) return false;
  if (c != '"') return Fault(e, kTextError, SyntaxCause::kNoText, Context::kBetween, c);
  for (;;) {
    if (!ReadString(e)) return false;
    c = SkipGap(e, kNumberError);
    if (c == kEndOfSources) return true;
    if (c == kReported) return false;
    if (c == '"') continue;
    if (c != '|') break;
    if (!NextForm(e)) return false;
    c = NextAfterGap(e, kTextError);
    if (c < 0) return false;
    if (c != '"') return Fault(e, kTextError, SyntaxCause::kNoText, Context::kBetween, c);
  }
  if (!IsDigit(c)) return Fault(e, kNumberError, SyntaxCause::kNoNextEntry, Context::kBetween, c);
  UngetSourceChar();
  return true;
}

bool plainEntrySweep = true;

// One entry, as ReadMessage delivers it.
int ReadEntry(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response, int32_t* srcIndex,
              long* line) {
  msgState->plural.count = msgState->plural.countArgument = 0;
  if (plainEntrySweep && ReadPlainEntry(msgNum, severity, symbol, text, response, srcIndex, line)) return 0;
  symbol[0] = text[0] = response[0] = '\0';
  Entry e{.symbol = {symbol, kMaxSymbolLen}, .text = {text, kMaxTextLen}, .response = {response, kMaxResponseLen},
          .numberAt = {}, .severityAt = {}};
  const int first = SkipGap(e, kNumberError);
  if (first == kEndOfSources) return -1;
  if (first == kReported) return 1;
  if (!IsDigit(first)) {
    Fault(e, kNumberError, SyntaxCause::kNoNumber, Context::kBetween, first);
    return 1;
  }
  if (!ReadNumber(e, first) || !ReadSeverity(e) || !ReadSymbol(e) || !ReadResponse(e) || !ReadCount(e) ||
      !ReadStrings(e))
    return 1;

  // Range and letter are checked last, at the places where the two began.
  long value = 0;
  for (const char* digit = e.numberText; *digit != '\0'; ++digit) value = value * 10 + (*digit - '0');
  if (value < 0 || value > kMaxMsgNum) {
    Fault(e, kNumberError, SyntaxCause::kNumberOutOfRange, Context::kEntryDone, -1, PlaceOf(e.numberAt));
    return 1;
  }
  *msgNum = static_cast<int32_t>(value);
  const SourcePlace numberPlace = PlaceOf(e.numberAt);
  *srcIndex = numberPlace.file;
  *line = numberPlace.line;
  *severity = SeverityCode(e.severityText);
  if (*severity < 0) {
    Fault(e, kSeverityError, SyntaxCause::kUnknownSeverity, Context::kEntryDone,
          static_cast<unsigned char>(e.severityText[0]), PlaceOf(e.severityAt));
    return 1;
  }
  return 0;
}

}  // namespace

int IsAllDigits(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return 0;
  }
  return 1;
}

bool IsSourceSymbol(std::string_view name) {
  if (name.empty() || name.size() > static_cast<std::size_t>(kMaxSymbolLen)) return false;
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return std::isalpha(b) || std::isdigit(b) || c == '_';
  });
}

int SeverityCode(const char* letter) {
  if (letter[0] == '\0' || letter[1] != '\0') return -1;
  return SeverityOf(letter[0]);
}

int EscapeChar(int c) {
  switch (c) {
    case '"': return '"';
    case '\'': return '\'';
    case '?': return '?';
    case '\\': return '\\';
    case 'a': return 7;
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 's': return ' ';
    case 't': return 9;
    case 'v': return 11;
    default: return -1;
  }
}

int OpenSources() {
  MsgCompilerState& st = *msgState;
  for (auto& slot : st.srcFiles) slot = nullptr;
  for (int i = 0; i < st.numSrcFiles; ++i) {
    st.srcFiles[i] = io::OpenInputFile(st.srcFileNames[i], "r");
    if (st.srcFiles[i] == nullptr) {
      SayCannotOpenSource(st.srcFileNames[i]);
      // A directory opens, but is no source.
      if (errno == EISDIR) SayOpenReason(errno);
      CloseSources();
      return 1;
    }
  }
  return 0;
}

void CloseSources() {
  MsgCompilerState& st = *msgState;
  for (int i = 0; i < st.numSrcFiles; ++i) {
    if (st.srcFiles[i] != nullptr) std::fclose(st.srcFiles[i]);
    st.srcFiles[i] = nullptr;
  }
  st.sourceBytes.Clear();
  st.cursor = SourceCursor{};
}

void RewindSources() {
  MsgCompilerState& st = *msgState;
  // Read once per run; every pass after the first scans the same bytes.
  if (!st.sourceBytes.loaded()) {
    const SourceBytes::LoadFault fault = st.sourceBytes.Load(st.srcFiles, st.numSrcFiles);
    if (fault.error == ENOMEM) SayNoReadMemoryAndExit(st.srcFileNames[fault.file]);
    if (fault.file >= 0) SayReadErrorAndExit(st.srcFileNames[fault.file], fault.error);
  }
  st.cursor = SourceCursor{};
  if (st.numSrcFiles > 0) {
    st.cursor.at = st.sourceBytes.Begin(0);
    st.cursor.end = st.sourceBytes.End(0);
  } else {
    EndOfAllSources(st.cursor);
  }
  st.curSourceFile = 0;
  st.curSourceLine = 1;
  FillCharClasses();
}

int ReadMessage(MessageRecord& r) {
  return ReadMessage(&r.msgNum, &r.severity, r.symbol, r.text, r.response, &r.srcIndex, &r.line);
}

int ReadMessage(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response,
                int32_t* srcIndex, long* line) {
  if (!msgState->sourceBytes.loaded()) RewindSources();
  return ReadEntry(msgNum, severity, symbol, text, response, srcIndex, line);
}

void SetPlainEntrySweep(bool enabled) { plainEntrySweep = enabled; }

void SyncSourcePosition() {
  MsgCompilerState& st = *msgState;
  if (!st.sourceBytes.loaded()) return;
  const SourcePlace here = Here();
  st.curSourceFile = here.file;
  st.curSourceLine = here.line;
}

}  // namespace qokit::msgcomp
