#include "insert_syntax.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace qokit::format {

namespace {

constexpr std::string_view kFlags = "-+ #0'";
constexpr std::string_view kIntegerLetters = "diouxX";
constexpr std::string_view kFloatLetters = "eEfgG";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Membership in one of the small sets above, looked up in a table built at
// compile time rather than searched: every insert of every text asks.
class ByteSet {
 public:
  constexpr explicit ByteSet(std::string_view members) {
    for (const char c : members) in_[static_cast<unsigned char>(c)] = true;
  }
  constexpr bool operator()(char c) const { return in_[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> in_{};
};
constexpr ByteSet kIsFlag(kFlags), kIsIntegerLetter(kIntegerLetters), kIsFloatLetter(kFloatLetters);

// Bytes of the argument that printf takes for a conversion; 0 when no type
// code stands for it (a long double, refused elsewhere, or a length that
// glibc reads two ways).
constexpr std::size_t PrintfArgumentSize(char letter, Length length) {
  if (kIsIntegerLetter(letter)) {
    switch (length) {
      case Length::kNone: case Length::kH: case Length::kHH: return sizeof(int);  // promoted
      case Length::kL: return sizeof(long);
      case Length::kLL: return sizeof(long long);
      // glibc reads these as long long in a plain format but as int in a
      // positional one, so no recorded type fits both.
      case Length::kBigL: case Length::kQ: return 0;
      case Length::kJ: return sizeof(intmax_t);
      case Length::kZ: return sizeof(std::size_t);
      case Length::kT: return sizeof(std::ptrdiff_t);
    }
  }
  if (letter == 'c') return length == Length::kL ? sizeof(wint_t) : sizeof(int);
  if (letter == 's' || letter == 'p') return sizeof(void*);
  return length == Length::kNone ? sizeof(double) : 0;
}

constexpr std::size_t TypeSize(int type) {
  switch (type) {
    case kTypePointer: return sizeof(void*);
    case kTypeInt: return sizeof(int);
    case kTypeLong: return sizeof(long);
    case kTypeDouble: return sizeof(double);
    default: return 0;
  }
}

// What the size rule keeps and refuses on this platform: ll is recorded as
// long and has its size; z, j and t are recorded as int and do not; L and q
// on integers never fit.
#if defined(__LP64__)
static_assert(PrintfArgumentSize('d', Length::kLL) == TypeSize(kTypeLong));
static_assert(PrintfArgumentSize('u', Length::kZ) != TypeSize(kTypeInt));
static_assert(PrintfArgumentSize('d', Length::kJ) != TypeSize(kTypeInt));
static_assert(PrintfArgumentSize('d', Length::kT) != TypeSize(kTypeInt));
#endif
static_assert(PrintfArgumentSize('x', Length::kBigL) != TypeSize(kTypeLong));
static_assert(PrintfArgumentSize('d', Length::kQ) != TypeSize(kTypeInt));
static_assert(PrintfArgumentSize('d', Length::kH) == TypeSize(kTypeInt));
static_assert(PrintfArgumentSize('s', Length::kL) == TypeSize(kTypePointer));

// Length modifiers that printf defines for a letter.
bool LengthFits(char letter, Length length) {
  if (length == Length::kNone) return true;
  if (kIsIntegerLetter(letter)) return true;
  if (letter == 'c' || letter == 's') return length == Length::kL;
  if (kIsFloatLetter(letter)) {
    return length == Length::kL || length == Length::kBigL;
  }
  return false;  // p takes none
}

// A width or precision: "*" or digits that fit an int (printf fails on more).
bool TakeNumber(std::string_view text, std::size_t& i, std::string_view& out, int& stars) {
  const std::size_t start = i;
  if (i < text.size() && text[i] == '*') {
    ++i;
    ++stars;
  } else {
    long long value = 0;
    while (i < text.size() && IsDigit(text[i])) {
      value = value * 10 + (text[i] - '0');
      if (value > INT_MAX) return false;
      ++i;
    }
  }
  out = text.substr(start, i - start);
  return true;
}

Length TakeLength(std::string_view text, std::size_t& i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
  switch (at(i)) {
    case 'h': ++i; if (at(i) == 'h') { ++i; return Length::kHH; } return Length::kH;
    case 'l': ++i; if (at(i) == 'l') { ++i; return Length::kLL; } return Length::kL;
    case 'L': ++i; return Length::kBigL;
    case 'q': ++i; return Length::kQ;
    case 'j': ++i; return Length::kJ;
    case 'z': ++i; return Length::kZ;
    case 't': ++i; return Length::kT;
    default: return Length::kNone;
  }
}

}  // namespace

void ReadInsert(const char* at, InsertSpan& span) {
  span = InsertSpan{};
  span.at = at;
  // Mostly digits follow: read them here as strtol would (values past the
  // range of long give LONG_MAX); anything else goes to strtol itself.
  const char* stop = at + 1;
  if (*stop >= '0' && *stop <= '9') {
    // Below kRoom another digit cannot overflow; past it the exact test.
    constexpr long kRoom = (LONG_MAX - 9) / 10;
    long value = 0;
    for (; *stop >= '0' && *stop <= '9'; ++stop) {
      const int digit = *stop - '0';
      if (value <= kRoom) {
        value = value * 10 + digit;
      } else {
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
      }
    }
    span.argument = value;
  } else {
    char* end = nullptr;
    span.argument = std::strtol(stop, &end, 10);
    stop = end;
  }
  span.percent = stop;
  if (*stop != '%') return;
  // The first conversion letter; the terminating NUL is none, so the scan
  // ends with the text.
  for (const char* c = stop + 1; *c != '\0'; ++c) {
    if (kIsConversionLetter[static_cast<unsigned char>(*c)]) {
      span.end = c + 1;
      return;
    }
  }
}

bool NextInsert(const char* from, InsertSpan& span) {
  const char* at = std::strchr(from, '@');
  if (at == nullptr) {
    span = InsertSpan{};
    return false;
  }
  ReadInsert(at, span);
  return true;
}

bool ParsePrintf(std::string_view conversion, Conversion& out) {
  out = Conversion{};
  if (conversion.size() < 2 || conversion[0] != '%') return false;
  std::size_t i = 1;
  while (i < conversion.size() && kIsFlag(conversion[i])) ++i;
  out.flags = conversion.substr(1, i - 1);
  if (!TakeNumber(conversion, i, out.width, out.stars)) return false;
  if (i < conversion.size() && conversion[i] == '.') {
    ++i;
    out.has_precision = true;
    if (!TakeNumber(conversion, i, out.precision, out.stars)) return false;
  }
  const std::size_t length_start = i;
  out.length = TakeLength(conversion, i);
  out.length_text = conversion.substr(length_start, i - length_start);
  if (i + 1 != conversion.size()) return false;
  out.letter = conversion[i];
  return kIsConversionLetter[static_cast<unsigned char>(out.letter)] && LengthFits(out.letter, out.length);
}

int TypeCode(std::string_view conversion) {
  if (conversion.empty()) return kTypeLongDouble;
  const char before = conversion.size() >= 2 ? conversion[conversion.size() - 2] : '\0';
  const bool long_mod = before == 'l' || before == 'L';
  const char letter = conversion.back();
  if (letter == 'c' || kIsIntegerLetter(letter)) {
    return long_mod ? kTypeLong : kTypeInt;
  }
  if (kIsFloatLetter(letter)) return long_mod ? kTypeLongDouble : kTypeDouble;
  if (letter == 'p' || letter == 's') return kTypePointer;
  return kTypeLongDouble;
}

Verdict Judge(std::string_view conversion) {
  if (std::count(conversion.begin(), conversion.end(), '*') > 2) return Verdict::kTooManyStars;
  Conversion parsed;
  if (!ParsePrintf(conversion, parsed)) return Verdict::kNotPrintf;
  const int type = TypeCode(conversion);
  if (type == kTypeLongDouble) return Verdict::kLongDouble;
  if (PrintfArgumentSize(parsed.letter, parsed.length) != TypeSize(type)) return Verdict::kSizeDiffers;
  return Verdict::kSound;
}

std::size_t LonePercent(std::string_view literal) {
  for (std::size_t i = literal.find('%'); i != std::string_view::npos; i = literal.find('%', i + 2)) {
    if (i + 1 == literal.size() || literal[i + 1] != '%') return i;
  }
  return std::string_view::npos;
}

std::string ExactlyTyped(std::string_view conversion, int type) {
  Conversion parsed;
  if (!ParsePrintf(conversion, parsed)) return {};
  std::string out(conversion.substr(0, conversion.size() - 1 - parsed.length_text.size()));
  const char letter = parsed.letter;
  switch (type) {
    case kTypeInt:
      // h and hh change what is printed; the others name an int-sized value here.
      if (parsed.length == Length::kH || parsed.length == Length::kHH) out += parsed.length_text;
      break;
    case kTypeLong:
      out += 'l';
      break;
    case kTypePointer:
      if (parsed.length == Length::kL) out += 'l';
      break;
    default:
      break;
  }
  out += letter;
  return out;
}

}  // namespace qokit::format
