#include "symbol_names.h"


#include "file_bytes.h"
#include "symbol_file.h"

namespace qokit::dump {

namespace {

bool ReadWhole(const char* path, std::string& bytes) { return io::ReadWholeFile(path, bytes); }

const format::SpaceTable& Spaces() {
  static const format::SpaceTable spaces = format::LocaleSpaces();
  return spaces;
}

}  // namespace

bool ReadSymbolNames(const char* path, std::map<long, std::string>& names) {
  std::string bytes;
  if (!ReadWhole(path, bytes)) return false;
  format::DefineReader reader(bytes, Spaces());
  for (format::Define define; reader.Next(define);) {
    const format::DefineNumber number = format::ReadDefineNumber(define.value);
    if (format::ClassifyDefine(define.name) == format::DefineKind::kSymbol && number.whole && number.value > 0)
      names.emplace(number.value, define.name);
  }
  return true;
}

bool ReadMaxInserts(const char* path, std::optional<long>& value) {
  value.reset();
  std::string bytes;
  if (!ReadWhole(path, bytes)) return false;
  format::DefineReader reader(bytes, Spaces());
  for (format::Define define; reader.Next(define);) {
    if (format::ClassifyDefine(define.name) != format::DefineKind::kMaxInserts) continue;
    const format::DefineNumber number = format::ReadDefineNumber(define.value);
    if (number.whole && number.value >= 0) value = number.value;
    break;
  }
  return true;
}

}  // namespace qokit::dump
