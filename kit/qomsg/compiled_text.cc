#include "compiled_text.h"

#include <algorithm>

#include "insert_syntax.h"
#include "qomsg.h"

namespace qomsg {

static_assert(QOMSG_ARG_POINTER == msgtext::kTypePointer && QOMSG_ARG_INT == msgtext::kTypeInt &&
              QOMSG_ARG_LONG == msgtext::kTypeLong && QOMSG_ARG_DOUBLE == msgtext::kTypeDouble);

namespace {

// A stored conversion: "%" through the first conversion letter after it,
// and one that the reader can format exactly as printf would.
bool SoundConversion(std::string_view conversion, std::string& why) {
  if (conversion.size() < 2 || conversion.front() != '%') {
    why = "conversion does not start with %";
    return false;
  }
  if (conversion.find_first_of(msgtext::kConversionLetters, 1) != conversion.size() - 1) {
    why = "conversion does not end with its conversion letter";
    return false;
  }
  if (msgtext::Judge(conversion) != msgtext::Verdict::kSound) {
    why = "conversion is not one printf formats with its recorded type";
    return false;
  }
  return true;
}

bool SoundLiteral(std::string_view piece, std::string& why) {
  if (msgtext::LonePercent(piece) == std::string_view::npos) return true;
  why = "percent sign in the literal text that is not %%";
  return false;
}

// Splits a printf format into literal pieces and conversions: "%%" stays in
// the literal text, every other "%" starts a conversion.
bool SplitFormat(std::string_view format, CompiledText& out, std::string& why) {
  std::size_t piece_start = 0;
  std::size_t pos = 0;
  while ((pos = format.find('%', pos)) != std::string_view::npos) {
    if (pos + 1 < format.size() && format[pos + 1] == '%') {
      pos += 2;
      continue;
    }
    const std::size_t letter = format.find_first_of(msgtext::kConversionLetters, pos + 1);
    if (letter == std::string_view::npos) {
      why = "percent sign in the literal text that is not %%";
      return false;
    }
    if (out.inserts.size() == msgtext::kMaxArgumentNumber) {
      why = "more inserts than argument numbers";
      return false;
    }
    Insert insert;
    insert.argument = static_cast<int>(out.inserts.size()) + 1;
    insert.conversion = format.substr(pos, letter + 1 - pos);
    if (!SoundConversion(insert.conversion, why)) return false;
    insert.stars = static_cast<int>(std::count(insert.conversion.begin(), insert.conversion.end(), '*'));
    insert.type = msgtext::TypeCode(insert.conversion);
    out.pieces.push_back(format.substr(piece_start, pos - piece_start));
    out.inserts.push_back(insert);
    pos = letter + 1;
    piece_start = pos;
  }
  out.pieces.push_back(format.substr(piece_start));
  return true;
}

// Reads one NUL-terminated string at `pos`; false when no NUL follows.
bool TakeString(std::string_view bytes, std::size_t& pos, std::string_view& out) {
  const std::size_t end = bytes.find('\0', pos);
  if (end == std::string_view::npos) return false;
  out = bytes.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

// Checks a stored conversion and its star count and type.
bool CheckConversion(const Insert& insert, std::string& why) {
  if (!SoundConversion(insert.conversion, why)) return false;
  if (std::count(insert.conversion.begin(), insert.conversion.end(), '*') != insert.stars) {
    why = "star count does not match the conversion";
    return false;
  }
  if (msgtext::TypeCode(insert.conversion) != insert.type) {
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
  if (count > msgtext::kMaxArgumentNumber) {
    why = "more inserts than argument numbers";
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
    if (!SoundLiteral(piece, why)) return false;
    out.pieces.push_back(piece);
  }
  if (pos != bytes.size()) {
    why = "bytes after the last literal piece";
    return false;
  }
  return true;
}

}  // namespace

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
    return SplitFormat(format.substr(0, format.size() - 1), out, why);
  }
  if (bytes[0] == 0) {
    out.in_order = false;
    return DecodeReordered(bytes, out, why);
  }
  why = "order flag is neither 0 nor 1";
  return false;
}

}  // namespace qomsg
