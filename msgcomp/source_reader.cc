#include "source_reader.h"

#include <algorithm>
#include <cerrno>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "file_bytes.h"
#include "messages.h"
#include "msgstate.h"
#include "qokit/nls/nlsstr.h"
#include "source_diagnostics.h"

namespace qokit::msgcomp {

namespace {

// The C library's character classes of the locale in force, looked up once:
// the parser asks about every byte of every pass.
enum : unsigned char { kSpace = 1, kDigit = 2, kAlpha = 4 };

std::array<unsigned char, 256> charClasses;  // filled by RewindSources before every pass

void FillCharClasses() {
  for (int c = 0; c < 256; ++c) {
    charClasses[c] = static_cast<unsigned char>((std::isspace(c) ? kSpace : 0) | (std::isdigit(c) ? kDigit : 0) |
                                                (std::isalpha(c) ? kAlpha : 0));
  }
}

bool IsSpace(int c) { return (charClasses[c] & kSpace) != 0; }
bool IsDigit(int c) { return (charClasses[c] & kDigit) != 0; }
bool IsAlpha(int c) { return (charClasses[c] & kAlpha) != 0; }
bool IsSymbolChar(int c) { return (charClasses[c] & (kDigit | kAlpha)) != 0 || c == '_'; }

// What the stream position means beyond msgState's file and line, for the
// reports of a run that wants every fault: where the last comment began and
// on which line the last source ended.
struct StreamMarks {
  SourcePlace commentStart;
  long endLine = 1;
};
StreamMarks marks;

SourcePlace Here() { return {msgState->curSourceFile, msgState->curSourceLine}; }

// The next byte of the sources taken as one stream, or -1 after the last one.
int NextSourceChar() {
  MsgCompilerState& st = *msgState;
  while (st.curSourceFile < st.numSrcFiles) {
    const int c = getc_unlocked(st.srcFiles[st.curSourceFile]);
    if (c != EOF) {
      if (c == '\n') ++st.curSourceLine;
      return c;
    }
    marks.endLine = st.curSourceLine;
    ++st.curSourceFile;
    st.curSourceLine = 1;
  }
  return -1;
}

// Only ever called with the byte just read, so it goes back into the source it came from.
void UngetSourceChar(int c) {
  if (c == '\n') --msgState->curSourceLine;
  std::ungetc(c, msgState->srcFiles[msgState->curSourceFile]);
}

// After a "/": 0 when a whole comment was consumed, 1 when the "/" began no
// comment, -1 when the sources ended first. The "*" of the opening "/*" does
// not count toward the closing "*/", so "/*/" opens a comment and leaves it open.
int SkipComment() {
  marks.commentStart = Here();
  int c = NextSourceChar();
  if (c < 0) return -1;
  if (c != '*') {
    UngetSourceChar(c);
    return 1;
  }
  int previous = -1;
  while ((c = NextSourceChar()) >= 0) {
    if (c == '/' && previous == '*') return 0;
    previous = c;
  }
  return -1;
}

// What the parser was reading when it met a fault, so that resynchronising
// reads the rest of the bytes the same way.
enum class Context { kBetween, kString, kResponse, kEntryDone, kEnd };

// Whether only white space stands between the start of the current line and
// the next byte of the sources. Asked only after a fault in a run that
// reports every fault, so it looks back in the source rather than making
// every byte of every pass keep count; a source starts a line. A source that
// cannot seek gives false: the reader then skips on to the next line.
bool AtLineStart() {
  MsgCompilerState& st = *msgState;
  if (st.curSourceFile >= st.numSrcFiles) return true;
  std::FILE* f = st.srcFiles[st.curSourceFile];
  const long here = std::ftell(f);  // counts a byte pushed back, which is the byte just read
  if (here < 0) return false;
  bool start = true;
  for (long at = here - 1; at >= 0; --at) {
    if (std::fseek(f, at, SEEK_SET) != 0) {
      start = false;
      break;
    }
    const int c = std::fgetc(f);
    if (c == '\n') break;
    if (c == EOF || !IsSpace(c)) {
      start = false;
      break;
    }
  }
  return std::fseek(f, here, SEEK_SET) == 0 && start;
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
        UngetSourceChar(c);
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
      if (EscapeChar(next) < 0) UngetSourceChar(next);
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
  void Append(int c) {
    if (c == 0) return;
    data[length++] = static_cast<char>(c);
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
  SourcePlace numberAt;
  SourcePlace severityAt;
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
  fault.entry = e.numberAt;
  fault.symbol = e.symbolDone ? e.symbol.data : nullptr;
  fault.byte = byte;
  st.diagnostics->SyntaxError(fault);
  if (byte >= 0 && context != Context::kEntryDone) UngetSourceChar(byte);
  Resynchronise(context);
  return false;
}

bool PrematureEnd(const Entry& e, SyntaxCause cause) {
  return Fault(e, nullptr, cause, Context::kEnd, -1, {msgState->numSrcFiles - 1, marks.endLine});
}

// Results of the gap skipper besides a byte.
constexpr int kEndOfSources = -1;
constexpr int kReported = -2;

// Skips white space and comments where they may stand between the parts of
// an entry: the first other byte, kEndOfSources when the sources end there,
// or kReported after a "/" that began no comment (reported as `strayError`)
// or a comment the sources ended in.
int SkipGap(const Entry& e, const char* strayError) {
  for (;;) {
    const int c = NextSourceChar();
    if (c < 0) return kEndOfSources;
    if (IsSpace(c)) continue;
    if (c != '/') return c;
    const int comment = SkipComment();
    if (comment < 0) {
      Fault(e, nullptr, SyntaxCause::kEndInComment, Context::kEnd, -1, marks.commentStart);
      return kReported;
    }
    if (comment > 0) {
      Fault(e, strayError, SyntaxCause::kStraySlash, Context::kBetween);
      return kReported;
    }
  }
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
  if (!IsSpace(c)) UngetSourceChar(c);
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
    UngetSourceChar(next);
    field.Append('\\');
    if (msgState->diagnostics != nullptr) msgState->diagnostics->KeptBackslash(Here(), next);
  }
  return true;
}

// The number from its first digit on: up to kMaxNumberDigits digits.
bool ReadNumber(Entry& e, int first) {
  e.number.Append(first);
  e.numberAt = Here();
  for (;;) {
    const int c = NextInEntry(e);
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
  e.severityAt = Here();
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
    c = NextInEntry(e);
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
    UngetSourceChar(c);
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
  for (int c; (c = NextInEntry(e, SyntaxCause::kEndInString)) != '"';) {
    if (c < 0) return false;
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
  return true;
}

// One or more strings joined into the text. The entry ends before the next
// entry's first digit, which stays in the sources, or at their end.
bool ReadStrings(Entry& e) {
  int c = NextAfterGap(e, kTextError);
  if (c < 0) return false;
  if (c != '"') return Fault(e, kTextError, SyntaxCause::kNoText, Context::kBetween, c);
  for (;;) {
    if (!ReadString(e)) return false;
    c = SkipGap(e, kNumberError);
    if (c == kEndOfSources) return true;
    if (c == kReported) return false;
    if (c != '"') break;
  }
  if (!IsDigit(c)) return Fault(e, kNumberError, SyntaxCause::kNoNextEntry, Context::kBetween, c);
  UngetSourceChar(c);
  return true;
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
  for (int code = 0; kSeverityLetters[code] != '\0'; ++code) {
    if (kSeverityLetters[code] == letter[0]) return code;
  }
  return -1;
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
}

void RewindSources() {
  MsgCompilerState& st = *msgState;
  for (int i = 0; i < st.numSrcFiles; ++i) {
    if (st.srcFiles[i] != nullptr) std::rewind(st.srcFiles[i]);
  }
  st.curSourceFile = 0;
  st.curSourceLine = 1;
  marks = StreamMarks{};
  FillCharClasses();
}

int ReadMessage(MessageRecord& r) {
  return ReadMessage(&r.msgNum, &r.severity, r.symbol, r.text, r.response, &r.srcIndex, &r.line);
}

int ReadMessage(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response,
                int32_t* srcIndex, long* line) {
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
  if (!ReadNumber(e, first) || !ReadSeverity(e) || !ReadSymbol(e) || !ReadResponse(e) || !ReadStrings(e)) return 1;

  // Range and letter are checked last, at the places where the two began.
  const long value = IsAllDigits(e.numberText) ? std::strtol(e.numberText, nullptr, 10) : -1;
  if (value < 0 || value > kMaxMsgNum) {
    Fault(e, kNumberError, SyntaxCause::kNumberOutOfRange, Context::kEntryDone, -1, e.numberAt);
    return 1;
  }
  *msgNum = static_cast<int32_t>(value);
  *srcIndex = e.numberAt.file;
  *line = e.numberAt.line;
  *severity = SeverityCode(e.severityText);
  if (*severity < 0) {
    Fault(e, kSeverityError, SyntaxCause::kUnknownSeverity, Context::kEntryDone,
          static_cast<unsigned char>(e.severityText[0]), e.severityAt);
    return 1;
  }
  return 0;
}

}  // namespace qokit::msgcomp
