#include "compile_time.h"

#include "object_format.h"
#include "symbol_file.h"
#include "time_text.h"

namespace qokit::stamp {

namespace {

constexpr std::size_t kTextLength = format::kTimeTextLength;
static_assert(kTextLength == format::kCompDateTextLength);

// The offset of the 24 characters between the quotes of the symbol file's
// timestamp line, found by the rule the compiler reads the file with.
std::optional<std::size_t> SymbolFileTimeText(std::string_view bytes) {
  static const format::SpaceTable spaces = format::LocaleSpaces();
  format::DefineReader reader(bytes, spaces);
  for (format::Define define; reader.Next(define);) {
    if (format::ClassifyDefine(define.name) != format::DefineKind::kTimestamp) continue;
    const std::size_t at = define.valueAt;
    if (at + kTextLength + 2 > define.lineEnd || bytes[at] != '"' || bytes[at + kTextLength + 1] != '"')
      return std::nullopt;
    return at + 1;
  }
  return std::nullopt;
}

bool IsObjectFile(std::string_view bytes) {
  if (bytes.size() < format::kBlockSize || bytes.substr(0, format::kMagic.size()) != format::kMagic) return false;
  // The compile date is the text, then NUL bytes to the end of the block.
  for (std::size_t i = format::kCompDateAt; i < format::kCompDateAt + kTextLength; ++i)
    if (bytes[i] == '\0') return false;
  for (std::size_t i = format::kCompDateAt + kTextLength; i < format::kBlockSize; ++i)
    if (bytes[i] != '\0') return false;
  return true;
}

}  // namespace

std::optional<StampKind> RewriteCompileTime(std::string& bytes, std::string_view time_text) {
  if (time_text.size() != kTextLength) return std::nullopt;
  if (IsObjectFile(bytes)) {
    bytes.replace(format::kCompDateAt, kTextLength, time_text);
    return StampKind::kObjectFile;
  }
  if (const auto at = SymbolFileTimeText(bytes)) {
    bytes.replace(*at, kTextLength, time_text);
    return StampKind::kSymbolFile;
  }
  return std::nullopt;
}

}  // namespace qokit::stamp
