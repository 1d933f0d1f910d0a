#include "compiled_text.h"

#include <algorithm>

#include "insert_syntax.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

static_assert(QOMSG_ARG_POINTER == qokit::format::kTypePointer && QOMSG_ARG_INT == qokit::format::kTypeInt &&
              QOMSG_ARG_LONG == qokit::format::kTypeLong && QOMSG_ARG_DOUBLE == qokit::format::kTypeDouble);

namespace {

bool Fault(std::string& why, const char* what) {
  why = what;
  return false;
}

// A stored conversion: "%" through the first conversion letter after it, one
// that the reader can format exactly as printf would, with the star count
// and type that the form records.
bool CheckConversion(const Insert& insert, std::string& why) {
  const std::string_view conversion = insert.conversion;
  if (conversion.size() < 2 || conversion.front() != '%') return Fault(why, "conversion does not start with %");
  if (conversion.find_first_of(qokit::format::kConversionLetters, 1) != conversion.size() - 1)
    return Fault(why, "conversion does not end with its conversion letter");
  if (qokit::format::Judge(conversion) != qokit::format::Verdict::kSound)
    return Fault(why, "conversion is not one printf formats with its recorded type");
  if (std::count(conversion.begin(), conversion.end(), '*') != insert.stars)
    return Fault(why, "star count does not match the conversion");
  if (qokit::format::TypeCode(conversion) != insert.type) return Fault(why, "type code does not match the conversion");
  return true;
}

}  // namespace

bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why) {
  if (!qokit::format::ReadCompiledForm(bytes, out, why)) return false;
  for (const Insert& insert : out.inserts)
    if (!CheckConversion(insert, why)) return false;
  for (const std::string_view piece : out.pieces)
    if (qokit::format::LonePercent(piece) != std::string_view::npos)
      return Fault(why, "percent sign in the literal text that is not %%");
  return true;
}

}  // namespace qokit::reader
