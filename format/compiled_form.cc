#include "compiled_form.h"

#include <algorithm>
#include <cstring>

#include "insert_syntax.h"

namespace qokit::format {

namespace {

// A writer that can never pass the end of its buffer.
struct Output {
  unsigned char* data;
  std::size_t capacity;
  std::size_t length = 0;
  bool overflow = false;

  void Put(unsigned char byte) {
    if (length < capacity) {
      data[length++] = byte;
    } else {
      overflow = true;
    }
  }
  void Put(std::string_view bytes) {
    const std::size_t n = bytes.size() <= capacity - length ? bytes.size() : capacity - length;
    if (n > 0) std::memcpy(data + length, bytes.data(), n);
    length += n;
    if (n < bytes.size()) overflow = true;
  }
};

// Reads one NUL-terminated string at `pos`; false when no NUL follows.
bool TakeString(std::string_view bytes, std::size_t& pos, std::string_view& out) {
  const std::size_t end = bytes.find('\0', pos);
  if (end == std::string_view::npos) return false;
  out = bytes.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

bool Malformed(std::string& why, const char* what) {
  why = what;
  return false;
}

// The in-order form's format split at its conversions: "%%" stays in the
// literal text, every other "%" starts a conversion.
bool SplitFormat(std::string_view format, FormParts& out, std::string& why) {
  std::size_t piece_start = 0;
  std::size_t pos = 0;
  while ((pos = format.find('%', pos)) != std::string_view::npos) {
    if (pos + 1 < format.size() && format[pos + 1] == '%') {
      pos += 2;
      continue;
    }
    const std::size_t letter = format.find_first_of(kConversionLetters, pos + 1);
    if (letter == std::string_view::npos) return Malformed(why, "percent sign in the literal text that is not %%");
    if (out.inserts.size() == static_cast<std::size_t>(kMaxArgumentNumber))
      return Malformed(why, "more inserts than argument numbers");
    FormInsert insert;
    insert.argument = static_cast<int>(out.inserts.size()) + 1;
    insert.conversion = format.substr(pos, letter + 1 - pos);
    insert.stars = static_cast<int>(std::count(insert.conversion.begin(), insert.conversion.end(), '*'));
    insert.type = TypeCode(insert.conversion);
    out.pieces.push_back(format.substr(piece_start, pos - piece_start));
    out.inserts.push_back(insert);
    pos = letter + 1;
    piece_start = pos;
  }
  out.pieces.push_back(format.substr(piece_start));
  return true;
}

bool ReadReordered(std::string_view bytes, FormParts& out, std::string& why) {
  if (bytes.size() < 2) return Malformed(why, "insert count missing");
  const std::size_t count = static_cast<unsigned char>(bytes[1]);
  std::size_t pos = 2;
  if (count == 0 || bytes.size() - pos < count) return Malformed(why, "position map missing or empty");
  if (count > static_cast<std::size_t>(kMaxArgumentNumber)) return Malformed(why, "more inserts than argument numbers");
  std::vector<int> argument_at(count, 0);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t where = static_cast<unsigned char>(bytes[pos + k]);
    if (where >= count || argument_at[where] != 0) return Malformed(why, "position map is not a permutation");
    argument_at[where] = static_cast<int>(k) + 1;
  }
  pos += count;
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes.size() - pos < 2) return Malformed(why, "insert descriptor cut short");
    FormInsert insert;
    insert.argument = argument_at[i];
    insert.stars = static_cast<unsigned char>(bytes[pos]);
    insert.type = static_cast<unsigned char>(bytes[pos + 1]);
    pos += 2;
    if (!TakeString(bytes, pos, insert.conversion)) return Malformed(why, "conversion not terminated");
    out.inserts.push_back(insert);
  }
  for (std::size_t i = 0; i <= count; ++i) {
    std::string_view piece;
    if (!TakeString(bytes, pos, piece)) return Malformed(why, "literal piece not terminated");
    out.pieces.push_back(piece);
  }
  if (pos != bytes.size()) return Malformed(why, "bytes after the last literal piece");
  return true;
}

}  // namespace

std::size_t WriteCompiledForm(const FormParts& parts, unsigned char* buffer, std::size_t capacity) {
  const std::size_t count = parts.inserts.size();
  Output out{buffer, capacity};
  if (parts.in_order) {
    out.Put(kInOrderFlag);
    for (std::size_t k = 0; k < count; ++k) {
      out.Put(parts.pieces[k]);
      out.Put(parts.inserts[k].conversion);
    }
    out.Put(parts.pieces[count]);
    out.Put(0);
  } else {
    out.Put(kReorderedFlag);
    out.Put(static_cast<unsigned char>(count));
    std::vector<unsigned char> position(count, 0);
    for (std::size_t k = 0; k < count; ++k)
      position[static_cast<std::size_t>(parts.inserts[k].argument - 1)] = static_cast<unsigned char>(k);
    for (const unsigned char p : position) out.Put(p);
    for (const FormInsert& insert : parts.inserts) {
      out.Put(static_cast<unsigned char>(insert.stars));
      out.Put(static_cast<unsigned char>(insert.type));
      out.Put(insert.conversion);
      out.Put(0);
    }
    for (const std::string_view piece : parts.pieces) {
      out.Put(piece);
      out.Put(0);
    }
  }
  return out.overflow ? 0 : out.length;
}

bool ReadCompiledForm(std::string_view bytes, FormParts& out, std::string& why) {
  out = FormParts{};
  if (bytes.empty()) return Malformed(why, "empty compiled text");
  if (static_cast<unsigned char>(bytes[0]) == kInOrderFlag) {
    const std::string_view format = bytes.substr(1);
    if (format.empty() || format.find('\0') != format.size() - 1)
      return Malformed(why, "text not terminated exactly at its end");
    return SplitFormat(format.substr(0, format.size() - 1), out, why);
  }
  if (static_cast<unsigned char>(bytes[0]) == kReorderedFlag) {
    out.in_order = false;
    return ReadReordered(bytes, out, why);
  }
  return Malformed(why, "order flag is neither 0 nor 1");
}

}  // namespace qokit::format
