#include "compiled_text.h"

#include <algorithm>

#include "qomsg.h"

namespace qomsg {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits a printf format into literal pieces and conversions. "%%" and a "%"
// that starts no conversion stay in the literal text.
void SplitFormat(std::string_view format, CompiledText& out) {
  std::size_t piece_start = 0;
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (format[pos] != '%') {
      ++pos;
      continue;
    }
    if (pos + 1 < format.size() && format[pos + 1] == '%') {
      pos += 2;
      continue;
    }
    const std::size_t len = ScanConversion(format, pos);
    if (len == 0) {
      ++pos;
      continue;
    }
    out.pieces.push_back(format.substr(piece_start, pos - piece_start));
    Insert insert;
    insert.argument = static_cast<int>(out.inserts.size()) + 1;
    insert.conversion = format.substr(pos, len);
    insert.stars = static_cast<int>(std::count(insert.conversion.begin(), insert.conversion.end(), '*'));
    insert.type = TypeCode(insert.conversion);
    out.inserts.push_back(insert);
    pos += len;
    piece_start = pos;
  }
  out.pieces.push_back(format.substr(piece_start));
}

// Reads one NUL-terminated string at `pos`; false when no NUL follows.
bool TakeString(std::string_view bytes, std::size_t& pos, std::string_view& out) {
  const std::size_t end = bytes.find('\0', pos);
  if (end == std::string_view::npos) return false;
  out = bytes.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

// Checks a stored conversion against its star count and type.
bool CheckConversion(const Insert& insert, std::string& why) {
  const std::string_view conversion = insert.conversion;
  if (conversion.size() < 2 || conversion.front() != '%') {
    why = "conversion does not start with %";
    return false;
  }
  // The compiler ends a conversion at its first conversion letter.
  if (conversion.find_first_of(kConversionLetters, 1) != conversion.size() - 1) {
    why = "conversion does not end with its conversion letter";
    return false;
  }
  if (std::count(conversion.begin(), conversion.end(), '*') != insert.stars || insert.stars > 2) {
    why = "star count does not match the conversion";
    return false;
  }
  if (TypeCode(conversion) != insert.type) {
    why = "type code does not match the conversion";
    return false;
  }
  return true;
}

bool DecodeReordered(std::string_view bytes, CompiledText& out, std::string& why) {
  if (bytes.size() < 2) {
    why = "insert count missing";
    return false;
  }
  const std::size_t count = static_cast<unsigned char>(bytes[1]);
  std::size_t pos = 2;
  if (count == 0 || bytes.size() - pos < count) {
    why = "position map missing or empty";
    return false;
  }
  std::vector<int> argument_at(count, 0);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t where = static_cast<unsigned char>(bytes[pos + k]);
    if (where >= count || argument_at[where] != 0) {
      why = "position map is not a permutation";
      return false;
    }
    argument_at[where] = static_cast<int>(k) + 1;
  }
  pos += count;
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes.size() - pos < 2) {
      why = "insert descriptor cut short";
      return false;
    }
    Insert insert;
    insert.argument = argument_at[i];
    insert.stars = static_cast<unsigned char>(bytes[pos]);
    insert.type = static_cast<unsigned char>(bytes[pos + 1]);
    pos += 2;
    if (!TakeString(bytes, pos, insert.conversion)) {
      why = "conversion not terminated";
      return false;
    }
    if (!CheckConversion(insert, why)) return false;
    out.inserts.push_back(insert);
  }
  for (std::size_t i = 0; i <= count; ++i) {
    std::string_view piece;
    if (!TakeString(bytes, pos, piece)) {
      why = "literal piece not terminated";
      return false;
    }
    out.pieces.push_back(piece);
  }
  if (pos != bytes.size()) {
    why = "bytes after the last literal piece";
    return false;
  }
  return true;
}

}  // namespace

int TypeCode(std::string_view conversion) {
  if (conversion.empty()) return -1;
  const char letter = conversion.back();
  const bool long_mod = conversion.size() >= 2 && (conversion[conversion.size() - 2] == 'l' || conversion[conversion.size() - 2] == 'L');
  switch (letter) {
    case 'c': case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
      return long_mod ? QOMSG_ARG_LONG : QOMSG_ARG_INT;
    case 'e': case 'E': case 'f': case 'g': case 'G':
      return long_mod ? -1 : QOMSG_ARG_DOUBLE;
    case 'p': case 's':
      return QOMSG_ARG_POINTER;
    default:
      return -1;
  }
}

std::size_t ScanConversion(std::string_view text, std::size_t pos) {
  constexpr std::string_view kFlags = "-+ #0'";
  constexpr std::string_view kInside = "0123456789.*$hlLqjzt";
  std::size_t i = pos + 1;
  while (i < text.size() && kFlags.find(text[i]) != std::string_view::npos) ++i;
  while (i < text.size() && kInside.find(text[i]) != std::string_view::npos) ++i;
  if (i == text.size() || kConversionLetters.find(text[i]) == std::string_view::npos) return 0;
  const std::string_view conversion = text.substr(pos, i + 1 - pos);
  if (TypeCode(conversion) < 0 || std::count(conversion.begin(), conversion.end(), '*') > 2) return 0;
  return conversion.size();
}

bool IsPrintfConversion(std::string_view conversion) {
  std::size_t i = 1;
  const auto at = [&](std::size_t k) { return k < conversion.size() ? conversion[k] : '\0'; };
  const auto number_or_star = [&] {
    if (at(i) == '*') {
      ++i;
      return;
    }
    while (IsDigit(at(i))) ++i;
  };
  if (at(0) != '%') return false;
  while (at(i) != '\0' && std::string_view("-+ #0").find(at(i)) != std::string_view::npos) ++i;
  number_or_star();
  if (at(i) == '.') {
    ++i;
    number_or_star();
  }
  if (at(i) == 'h' || at(i) == 'l') {
    const char m = at(i);
    ++i;
    if (at(i) == m) ++i;
  } else if (at(i) == 'L') {
    ++i;
  }
  return i + 1 == conversion.size() && kConversionLetters.find(at(i)) != std::string_view::npos &&
         TypeCode(conversion) >= 0;
}

bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why) {
  out = CompiledText{};
  if (bytes.empty()) {
    why = "empty compiled text";
    return false;
  }
  if (bytes[0] == 1) {
    const std::string_view format = bytes.substr(1);
    if (format.empty() || format.find('\0') != format.size() - 1) {
      why = "text not terminated exactly at its end";
      return false;
    }
    SplitFormat(format.substr(0, format.size() - 1), out);
    return true;
  }
  if (bytes[0] == 0) {
    out.in_order = false;
    return DecodeReordered(bytes, out, why);
  }
  why = "order flag is neither 0 nor 1";
  return false;
}

}  // namespace qomsg
