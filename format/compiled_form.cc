#include "compiled_form.h"

#include <algorithm>
#include <cstring>

#include "compiled_form_walk.h"
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

// Collects the parts of a form into FormParts.
struct PartsSink {
  static constexpr bool kDerivesTypes = true;
  FormParts& parts;
  void Insert(const FormInsert& insert) { parts.inserts.push_back(insert); }
  void Piece(std::string_view piece) { parts.pieces.push_back(piece); }
};

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
  out.in_order = bytes.empty() || static_cast<unsigned char>(bytes[0]) != kReorderedFlag;
  PartsSink sink{out};
  if (const char* fault = WalkCompiledForm(bytes, sink)) {
    why = fault;
    return false;
  }
  return true;
}

const char* ConversionFault(const FormInsert& insert, bool in_order) {
  const std::string_view conversion = insert.conversion;
  if (in_order) {
    return Judge(conversion) == Verdict::kSound ? nullptr
                                                : "conversion is not one printf formats with its recorded type";
  }
  if (conversion.size() < 2 || conversion.front() != '%') return "conversion does not start with %";
  if (std::find_if(conversion.begin() + 1, conversion.end(),
                   [](char c) { return kIsConversionLetter[static_cast<unsigned char>(c)]; }) !=
      conversion.end() - 1)
    return "conversion does not end with its conversion letter";
  if (Judge(conversion) != Verdict::kSound) return "conversion is not one printf formats with its recorded type";
  if (std::count(conversion.begin(), conversion.end(), '*') != insert.stars)
    return "star count does not match the conversion";
  if (TypeCode(conversion) != insert.type) return "type code does not match the conversion";
  return nullptr;
}

const char* CheckCompiledForm(std::string_view bytes) { return CheckFormInPlace(bytes); }

}  // namespace qokit::format
