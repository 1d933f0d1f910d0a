#include "source_reader.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "messages.h"
#include "msgstate.h"
#include "nlsstr.h"

namespace {

void ReportAt(const char* what, int32_t srcIndex, long line) {
  const int last = msgState->numSrcFiles - 1;
  const int index = srcIndex > last ? last : srcIndex;
  SayMissingOrInvalid(what, msgState->srcFileNames[index], line);
}

void ReportHere(const char* what) { ReportAt(what, msgState->curSourceFile, msgState->curSourceLine); }

void ReportPrematureEnd() { SayPrematureEnd(msgState->srcFileNames[msgState->numSrcFiles - 1]); }

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

// The next byte of the sources taken as one stream, or -1 after the last one.
int NextSourceChar() {
  MsgCompilerState& st = *msgState;
  while (st.curSourceFile < st.numSrcFiles) {
    const int c = getc_unlocked(st.srcFiles[st.curSourceFile]);
    if (c != EOF) {
      if (c == '\n') ++st.curSourceLine;
      return c;
    }
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
  int32_t numberFile = 0;
  int32_t severityFile = 0;
  long numberLine = 0;
  long severityLine = 0;
};

// Results of the gap skipper besides a byte.
constexpr int kEndOfSources = -1;
constexpr int kReported = -2;

// Skips white space and comments where they may stand between the parts of
// an entry: the first other byte, kEndOfSources when the sources end there,
// or kReported after a "/" that began no comment (reported as `strayError`)
// or a comment the sources ended in.
int SkipGap(const char* strayError) {
  for (;;) {
    const int c = NextSourceChar();
    if (c < 0) return kEndOfSources;
    if (IsSpace(c)) continue;
    if (c != '/') return c;
    const int comment = SkipComment();
    if (comment < 0) {
      ReportPrematureEnd();
      return kReported;
    }
    if (comment > 0) {
      ReportHere(strayError);
      return kReported;
    }
  }
}

// The next byte where the entry must go on; negative (reported) at the end.
int NextInEntry() {
  const int c = NextSourceChar();
  if (c < 0) ReportPrematureEnd();
  return c;
}

// The next byte after a gap where the entry must go on; negative (reported)
// at the end of the sources or after a stray "/".
int NextAfterGap(const char* strayError) {
  const int c = SkipGap(strayError);
  if (c == kEndOfSources) ReportPrematureEnd();
  return c;
}

bool Fail(const char* what) {
  ReportHere(what);
  return false;
}

// A byte that ends a word goes back to the sources unless it is white space.
void EndWord(int c) {
  if (!IsSpace(c)) UngetSourceChar(c);
}

// After a backslash in a response or text: the escaped byte, or the
// backslash itself when the next byte is no escape (that byte is read again).
bool AppendEscape(Field& field) {
  const int next = NextSourceChar();
  if (next < 0) {
    ReportPrematureEnd();
    return false;
  }
  const int byte = EscapeChar(next);
  if (byte >= 0) {
    field.Append(byte);
  } else {
    UngetSourceChar(next);
    field.Append('\\');
  }
  return true;
}

// The number from its first digit on: up to kMaxNumberDigits digits.
bool ReadNumber(Entry& e, int first) {
  e.number.Append(first);
  e.numberFile = msgState->curSourceFile;
  e.numberLine = msgState->curSourceLine;
  for (;;) {
    const int c = NextInEntry();
    if (c < 0) return false;
    if (!IsDigit(c)) {
      EndWord(c);
      return true;
    }
    if (e.number.Full()) return Fail(kNumberError);
    e.number.Append(c);
  }
}

// One letter, not followed by another letter.
bool ReadSeverity(Entry& e) {
  const int c = NextAfterGap(kSeverityError);
  if (c < 0) return false;
  if (!IsAlpha(c)) return Fail(kSeverityError);
  e.severityText[0] = static_cast<char>(c);
  e.severityFile = msgState->curSourceFile;
  e.severityLine = msgState->curSourceLine;
  const int after = NextInEntry();
  if (after < 0) return false;
  if (IsAlpha(after)) return Fail(kSeverityError);
  EndWord(after);
  return true;
}

// A letter, then letters, digits and underscores.
bool ReadSymbol(Entry& e) {
  int c = NextAfterGap(kSymbolError);
  if (c < 0) return false;
  if (!IsAlpha(c)) return Fail(kSymbolError);
  e.symbol.Append(c);
  for (;;) {
    c = NextInEntry();
    if (c < 0) return false;
    if (!IsSymbolChar(c)) {
      EndWord(c);
      return true;
    }
    if (e.symbol.Full()) return Fail(kSymbolError);
    e.symbol.Append(c);
  }
}

// The optional "[response]"; without it the byte read goes back for the text.
bool ReadResponse(Entry& e) {
  int c = NextAfterGap(kTextError);
  if (c < 0) return false;
  if (c != '[') {
    UngetSourceChar(c);
    return true;
  }
  while ((c = NextInEntry()) != ']') {
    if (c < 0) return false;
    if (c == '\\') {
      if (e.response.Full()) return Fail(kResponseEscapeError);
      if (!AppendEscape(e.response)) return false;
    } else {
      if (e.response.Full()) return Fail(kResponseError);
      e.response.Append(c);
    }
  }
  return true;
}

// The bytes of one string after its opening quote, through the closing one.
bool ReadString(Entry& e) {
  for (int c; (c = NextInEntry()) != '"';) {
    if (c < 0) return false;
    if (e.text.Full()) return Fail(kTextError);
    // A backslash that is the second byte of a double-byte character is no escape.
    const bool escapes =
        c == '\\' && (e.text.length == 0 ||
                       nls.nlsGetcType(e.text.data, static_cast<unsigned char>((e.text.length - 1) % 256)) != 1);
    if (escapes) {
      if (!AppendEscape(e.text)) return false;
    } else {
      e.text.Append(c);
    }
  }
  return true;
}

// One or more strings joined into the text. The entry ends before the next
// entry's first digit, which stays in the sources, or at their end.
bool ReadStrings(Entry& e) {
  int c = NextAfterGap(kTextError);
  if (c < 0) return false;
  if (c != '"') return Fail(kTextError);
  for (;;) {
    if (!ReadString(e)) return false;
    c = SkipGap(kNumberError);
    if (c == kEndOfSources) return true;
    if (c == kReported) return false;
    if (c != '"') break;
  }
  if (!IsDigit(c)) return Fail(kNumberError);
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
    st.srcFiles[i] = std::fopen(st.srcFileNames[i], "r");
    if (st.srcFiles[i] == nullptr) {
      SayCannotOpenSource(st.srcFileNames[i]);
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
  FillCharClasses();
}

int ReadMessage(MessageRecord& r) {
  return ReadMessage(&r.msgNum, &r.severity, r.symbol, r.text, r.response, &r.srcIndex, &r.line);
}

int ReadMessage(int32_t* msgNum, int32_t* severity, char* symbol, char* text, char* response,
                int32_t* srcIndex, long* line) {
  symbol[0] = text[0] = response[0] = '\0';
  Entry e{.symbol = {symbol, kMaxSymbolLen}, .text = {text, kMaxTextLen}, .response = {response, kMaxResponseLen}};
  const int first = SkipGap(kNumberError);
  if (first == kEndOfSources) return -1;
  if (first == kReported) return 1;
  if (!IsDigit(first)) {
    ReportHere(kNumberError);
    return 1;
  }
  if (!ReadNumber(e, first) || !ReadSeverity(e) || !ReadSymbol(e) || !ReadResponse(e) || !ReadStrings(e)) return 1;

  // Range and letter are checked last, at the places where the two began.
  const long value = IsAllDigits(e.numberText) ? std::strtol(e.numberText, nullptr, 10) : -1;
  if (value < 0 || value > kMaxMsgNum) {
    ReportAt(kNumberError, e.numberFile, e.numberLine);
    return 1;
  }
  *msgNum = static_cast<int32_t>(value);
  *srcIndex = e.numberFile;
  *line = e.numberLine;
  *severity = SeverityCode(e.severityText);
  if (*severity < 0) {
    ReportAt(kSeverityError, e.severityFile, e.severityLine);
    return 1;
  }
  return 0;
}
