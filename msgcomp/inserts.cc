#include "inserts.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "msgstate.h"
#include "nlsstr.h"

namespace {

constexpr char kConversionChars[] = "cdeEfgGiopsuxX";

[[gnu::format(printf, 1, 2)]] int FailCheck(const char* format, ...) {
  std::fprintf(stderr, "curSourceLine: %ld \n", msgState->curSourceLine);
  std::fprintf(stderr, "curSourceFile: %d \n", static_cast<int>(msgState->curSourceFile));
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  return 1;
}

// The argument number after an "@", as strtol reads it (0 without digits,
// saturated when it does not fit); *end is left behind it.
long ArgumentNumber(const char* at, const char** end) {
  char* stop = nullptr;
  const long n = std::strtol(at + 1, &stop, 10);
  *end = stop;
  return n;
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
  for (const char* at = nls.nlsStrChr(text, '@'); at != nullptr; at = nls.nlsStrChr(at, '@')) {
    const int k = ++count;
    const char* end = nullptr;
    const long n = ArgumentNumber(at, &end);
    if (n < 1) return FailCheck("Conversion %d: argument number is less than 1\n", k);
    if (n > kMaxArgumentNumber) {
      return FailCheck("Conversion %d: argument number is greater than %d\n", k, kMaxArgumentNumber);
    }
    if (used[n]) return FailCheck("Conversion %d: duplicate argument number\n", k);
    if (*end != '%') return FailCheck("Conversion %d:percent sign must follow the argument number\n", k);
    if (end[1] == '%') return FailCheck("Conversion %d: double percent sign...\n", k);
    const char* conversion = nls.nlsStrpBrk(end + 1, kConversionChars);
    if (conversion == nullptr) {
      return FailCheck("Conversion %d: no conversion character follows the percent sign\n", k);
    }
    used[n] = true;
    if (n > largest) largest = n;
    const auto directiveLen = static_cast<int32_t>(conversion - end + 1);
    if (directiveLen > longestDirective) longestDirective = directiveLen;
    at = conversion;
  }
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
  while (count < limit) {
    const char* at = nls.nlsStrChr(rest, '@');
    if (at == nullptr) break;
    pieces[count] = std::string_view(rest, static_cast<size_t>(at - rest));
    const char* end = nullptr;
    const long n = ArgumentNumber(at, &end);
    if (n < 1 || n > limit || *end != '%' || position[n - 1] >= 0) return 0;
    const char* conversion = nls.nlsStrpBrk(end + 1, kConversionChars);
    if (conversion == nullptr) return 0;
    position[n - 1] = count;
    if (n <= previous) inOrder = false;
    previous = n;
    Insert& insert = inserts[count];
    insert.directive = std::string_view(end, static_cast<size_t>(conversion - end + 1));
    const bool isLong = conversion[-1] == 'l' || conversion[-1] == 'L';
    if (std::strchr("eEfgG", *conversion) != nullptr) {
      if (isLong) {
        std::fputs("Long double (%le, %lf, or %lg) not supported in this release.\n", stderr);
        std::fprintf(stderr, "Raw message text:\n%s\n", text);
        return 0;
      }
      insert.type = 3;
    } else if (*conversion == 'p' || *conversion == 's') {
      insert.type = 0;
    } else {
      insert.type = isLong ? 2 : 1;
    }
    int stars = 0;
    for (char c : insert.directive) stars += c == '*';
    if (stars > 2) {
      std::fputs("More than 2 asterisks in the control string\n", stderr);
      return 0;
    }
    insert.stars = static_cast<unsigned char>(stars);
    ++count;
    rest = conversion + 1;
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
