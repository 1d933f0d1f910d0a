#include "inserts.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "insert_syntax.h"
#include "msgstate.h"
#include "nlsstr.h"

namespace {

[[gnu::format(printf, 1, 2)]] int FailCheck(const char* format, ...) {
  std::fprintf(stderr, "curSourceLine: %ld \n", msgState->curSourceLine);
  std::fprintf(stderr, "curSourceFile: %d \n", static_cast<int>(msgState->curSourceFile));
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  return 1;
}

// The scan runs through the string layer, as all text handling does.
const msgtext::Searches& LayerSearches() {
  static const msgtext::Searches kLayer{
      [](const char* text, int byte) -> const char* { return nls.nlsStrChr(text, byte); },
      [](const char* text, const char* set) -> const char* { return nls.nlsStrpBrk(text, set); }};
  return kLayer;
}

// A literal piece of the text is printf text in the compiled form; a "%" in
// it that is not "%%" would be one more conversion there, one that no insert
// declared. k is the conversion printf would take it for.
int CheckLiteral(std::string_view piece, int k) {
  if (msgtext::LonePercent(piece) == std::string_view::npos) return 0;
  return FailCheck("Conversion %d: percent sign outside an insert must be written %%%%\n", k);
}

struct Insert {
  std::string_view directive;  // "%" through the conversion character
  unsigned char stars = 0;
  unsigned char type = 0;
};

// A writer that can never pass the end of its buffer.
struct Output {
  unsigned char* data;
  size_t capacity;
  size_t length = 0;
  bool overflow = false;

  void Put(unsigned char byte) {
    if (length < capacity) {
      data[length++] = byte;
    } else {
      overflow = true;
    }
  }
  void Put(std::string_view bytes) {
    for (char c : bytes) Put(static_cast<unsigned char>(c));
  }
};

}  // namespace

int CheckInserts(const char* text) {
  std::array<bool, kMaxArgumentNumber + 1> used{};
  int count = 0;
  long largest = 0;
  int32_t longestDirective = 0;
  const char* rest = text;
  msgtext::InsertSpan span;
  while (msgtext::NextInsert(rest, span, LayerSearches())) {
    const int k = ++count;
    if (CheckLiteral(std::string_view(rest, static_cast<size_t>(span.at - rest)), k) != 0) return 1;
    const long n = span.argument;
    if (n < 1) return FailCheck("Conversion %d: argument number is less than 1\n", k);
    if (n > kMaxArgumentNumber) {
      return FailCheck("Conversion %d: argument number is greater than %d\n", k, kMaxArgumentNumber);
    }
    if (used[n]) return FailCheck("Conversion %d: duplicate argument number\n", k);
    if (*span.percent != '%') return FailCheck("Conversion %d:percent sign must follow the argument number\n", k);
    if (span.percent[1] == '%') return FailCheck("Conversion %d: double percent sign...\n", k);
    if (span.end == nullptr) {
      return FailCheck("Conversion %d: no conversion character follows the percent sign\n", k);
    }
    // Long doubles and more than two stars are the second pass's to report.
    switch (msgtext::Judge(msgtext::ConversionOf(span))) {
      case msgtext::Verdict::kNotPrintf:
        return FailCheck("Conversion %d: invalid flags, width, precision or length in the conversion\n", k);
      case msgtext::Verdict::kSizeDiffers:
        return FailCheck("Conversion %d: length modifier does not match the size of the argument type\n", k);
      default:
        break;
    }
    used[n] = true;
    if (n > largest) largest = n;
    const auto directiveLen = static_cast<int32_t>(span.end - span.percent);
    if (directiveLen > longestDirective) longestDirective = directiveLen;
    rest = span.end;
  }
  if (CheckLiteral(rest, count + 1) != 0) return 1;
  if (largest != count) return FailCheck("Argument numbers do not form a sequence starting with 1");
  if (count > msgState->maxInserts) msgState->maxInserts = count;
  if (longestDirective > msgState->maxSpecLen) msgState->maxSpecLen = longestDirective;
  return 0;
}

size_t CompiledSizeBound(size_t textLen) {
  return textLen + 3 * static_cast<size_t>(msgState->maxInserts) + 3;
}

size_t CompileMessageText(const char* text, unsigned char* buffer, size_t capacity) {
  std::array<Insert, kMaxArgumentNumber> inserts{};
  std::array<std::string_view, kMaxArgumentNumber + 1> pieces{};
  std::array<int, kMaxArgumentNumber> position{};
  position.fill(-1);
  const int limit = msgState->maxInserts < kMaxArgumentNumber ? msgState->maxInserts : kMaxArgumentNumber;
  bool inOrder = true;
  long previous = 0;
  int count = 0;
  const char* rest = text;
  msgtext::InsertSpan span;
  while (count < limit && msgtext::NextInsert(rest, span, LayerSearches())) {
    pieces[count] = std::string_view(rest, static_cast<size_t>(span.at - rest));
    const long n = span.argument;
    if (n < 1 || n > limit || *span.percent != '%' || span.end == nullptr || position[n - 1] >= 0) return 0;
    position[n - 1] = count;
    if (n <= previous) inOrder = false;
    previous = n;
    Insert& insert = inserts[count];
    insert.directive = msgtext::ConversionOf(span);
    const int type = msgtext::TypeCode(insert.directive);
    if (type == msgtext::kTypeLongDouble) {
      std::fputs("Long double (%le, %lf, or %lg) not supported in this release.\n", stderr);
      std::fprintf(stderr, "Raw message text:\n%s\n", text);
      return 0;
    }
    insert.type = static_cast<unsigned char>(type);
    const msgtext::Verdict verdict = msgtext::Judge(insert.directive);
    if (verdict == msgtext::Verdict::kTooManyStars) {
      std::fputs("More than 2 asterisks in the control string\n", stderr);
      return 0;
    }
    if (verdict != msgtext::Verdict::kSound) return 0;  // the first pass refuses these
    insert.stars = static_cast<unsigned char>(std::count(insert.directive.begin(), insert.directive.end(), '*'));
    ++count;
    rest = span.end;
  }
  pieces[count] = std::string_view(rest);
  for (int k = 0; k < count; ++k) {
    if (position[k] < 0) return 0;  // argument numbers were not 1..N
  }

  Output out{buffer, capacity};
  out.Put(inOrder ? 1 : 0);
  if (inOrder) {
    for (int k = 0; k < count; ++k) {
      out.Put(pieces[k]);
      out.Put(inserts[k].directive);
    }
    out.Put(pieces[count]);
    out.Put(0);
  } else {
    out.Put(static_cast<unsigned char>(count));
    for (int k = 0; k < count; ++k) out.Put(static_cast<unsigned char>(position[k]));
    for (int k = 0; k < count; ++k) {
      out.Put(inserts[k].stars);
      out.Put(inserts[k].type);
      out.Put(inserts[k].directive);
      out.Put(0);
    }
    for (int k = 0; k <= count; ++k) {
      out.Put(pieces[k]);
      out.Put(0);
    }
  }
  return out.overflow ? 0 : out.length;
}
