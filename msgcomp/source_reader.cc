#include "source_reader.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "msgstate.h"
#include "nlsstr.h"

namespace {

// What a syntax error found missing or invalid; each names one part of an entry.
constexpr char kNumberError[] = "message number";
constexpr char kSeverityError[] = "severity code";
constexpr char kSymbolError[] = "message symbol";
constexpr char kTextError[] = "message text string";
constexpr char kResponseError[] = "response string";
constexpr char kResponseEscapeError[] = "response text string";

void ReportAt(const char* what, int32_t srcIndex, long line) {
  const int last = msgState->numSrcFiles - 1;
  const int index = srcIndex > last ? last : srcIndex;
  std::fprintf(stderr, "Missing or invalid %s - file %s, line %d.\n", what, msgState->srcFileNames[index],
               static_cast<int>(line));
}

void ReportHere(const char* what) { ReportAt(what, msgState->curSourceFile, msgState->curSourceLine); }

void ReportPrematureEnd() {
  std::fprintf(stderr, "End of file %s reached prematurely.\n", msgState->srcFileNames[msgState->numSrcFiles - 1]);
}

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

enum class State { kBeforeEntry, kNumber, kBeforeSeverity, kAfterSeverity, kBeforeSymbol, kSymbol,
                   kAfterSymbol, kResponse, kBeforeText, kText, kAfterString };

}  // namespace

int IsAllDigits(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return 0;
  }
  return 1;
}

int SeverityCode(const char* letter) {
  static constexpr char kLetters[] = "ZTRKIWESL";
  if (letter[0] == '\0' || letter[1] != '\0') return -1;
  for (int code = 0; kLetters[code] != '\0'; ++code) {
    if (kLetters[code] == letter[0]) return code;
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
      std::fprintf(stderr, "Unable to open source file \"%s\" for reading.\n", st.srcFileNames[i]);
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
  MsgCompilerState& st = *msgState;
  char numberText[kMaxNumberDigits + 1] = {};
  char severityText[2] = {};
  Field number{numberText, kMaxNumberDigits};
  Field sym{symbol, kMaxSymbolLen};
  Field txt{text, kMaxTextLen};
  Field resp{response, kMaxResponseLen};
  symbol[0] = text[0] = response[0] = '\0';
  int32_t numberFile = 0, severityFile = 0;
  long numberLine = 0, severityLine = 0;

  // After a backslash in a response or text: the escaped byte, or the
  // backslash itself when the next byte is no escape (that byte is read again).
  auto escape = [](Field& field) {
    const int next = NextSourceChar();
    if (next < 0) return false;
    const int byte = EscapeChar(next);
    if (byte >= 0) {
      field.Append(byte);
    } else {
      UngetSourceChar(next);
      field.Append('\\');
    }
    return true;
  };
  // A "/" where white space may stand: 0 comment skipped, else the error was reported.
  auto comment = [](const char* strayError) {
    const int result = SkipComment();
    if (result < 0) ReportPrematureEnd();
    if (result > 0) ReportHere(strayError);
    return result;
  };

  State state = State::kBeforeEntry;
  bool complete = false;
  while (!complete) {
    const int c = NextSourceChar();
    if (c < 0) {
      if (state == State::kAfterString) break;
      if (state == State::kBeforeEntry) return -1;
      ReportPrematureEnd();
      return 1;
    }
    switch (state) {
      case State::kBeforeEntry:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kNumberError) != 0) return 1;
          break;
        }
        if (!IsDigit(c)) return ReportHere(kNumberError), 1;
        number.Append(c);
        numberFile = st.curSourceFile;
        numberLine = st.curSourceLine;
        state = State::kNumber;
        break;
      case State::kNumber:
        if (IsDigit(c)) {
          if (number.Full()) return ReportHere(kNumberError), 1;
          number.Append(c);
        } else {
          if (!IsSpace(c)) UngetSourceChar(c);
          state = State::kBeforeSeverity;
        }
        break;
      case State::kBeforeSeverity:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kSeverityError) != 0) return 1;
          break;
        }
        if (!IsAlpha(c)) return ReportHere(kSeverityError), 1;
        severityText[0] = static_cast<char>(c);
        severityFile = st.curSourceFile;
        severityLine = st.curSourceLine;
        state = State::kAfterSeverity;
        break;
      case State::kAfterSeverity:
        if (IsAlpha(c)) return ReportHere(kSeverityError), 1;
        if (!IsSpace(c)) UngetSourceChar(c);
        state = State::kBeforeSymbol;
        break;
      case State::kBeforeSymbol:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kSymbolError) != 0) return 1;
          break;
        }
        if (!IsAlpha(c)) return ReportHere(kSymbolError), 1;
        sym.Append(c);
        state = State::kSymbol;
        break;
      case State::kSymbol:
        if (IsSymbolChar(c)) {
          if (sym.Full()) return ReportHere(kSymbolError), 1;
          sym.Append(c);
        } else {
          if (!IsSpace(c)) UngetSourceChar(c);
          state = State::kAfterSymbol;
        }
        break;
      case State::kAfterSymbol:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kTextError) != 0) return 1;
          break;
        }
        if (c == '[') {
          state = State::kResponse;
        } else {
          UngetSourceChar(c);
          state = State::kBeforeText;
        }
        break;
      case State::kResponse:
        if (c == ']') {
          state = State::kBeforeText;
        } else if (c == '\\') {
          if (resp.Full()) return ReportHere(kResponseEscapeError), 1;
          if (!escape(resp)) return ReportPrematureEnd(), 1;
        } else {
          if (resp.Full()) return ReportHere(kResponseError), 1;
          resp.Append(c);
        }
        break;
      case State::kBeforeText:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kTextError) != 0) return 1;
          break;
        }
        if (c != '"') return ReportHere(kTextError), 1;
        state = State::kText;
        break;
      case State::kText: {
        if (c == '"') {
          state = State::kAfterString;
          break;
        }
        if (txt.Full()) return ReportHere(kTextError), 1;
        // A backslash that is the second byte of a double-byte character is no escape.
        const bool escapes = c == '\\' && (txt.length == 0 || nls.nlsGetcType(text, static_cast<unsigned char>(
                                                                                      (txt.length - 1) % 256)) != 1);
        if (escapes) {
          if (!escape(txt)) return ReportPrematureEnd(), 1;
        } else {
          txt.Append(c);
        }
        break;
      }
      case State::kAfterString:
        if (IsSpace(c)) break;
        if (c == '/') {
          if (comment(kNumberError) != 0) return 1;
          break;
        }
        if (c == '"') {
          state = State::kText;
          break;
        }
        if (!IsDigit(c)) return ReportHere(kNumberError), 1;
        UngetSourceChar(c);
        complete = true;
        break;
    }
  }
  const long value = IsAllDigits(numberText) ? std::strtol(numberText, nullptr, 10) : -1;
  if (value < 0 || value > kMaxMsgNum) return ReportAt(kNumberError, numberFile, numberLine), 1;
  *msgNum = static_cast<int32_t>(value);
  *srcIndex = numberFile;
  *line = numberLine;
  *severity = SeverityCode(severityText);
  if (*severity < 0) return ReportAt(kSeverityError, severityFile, severityLine), 1;
  return 0;
}
