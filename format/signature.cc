#include "signature.h"

#include <algorithm>
#include <array>

#include "insert_syntax.h"

namespace qokit::format {

std::string SignatureEntry(std::string_view conversion) {
  const int type = TypeCode(conversion);
  const std::string typed = ExactlyTyped(conversion, type);
  Conversion parsed;
  if (!ParsePrintf(typed, parsed)) return {};
  std::string entry = "%";
  if (parsed.width == "*") entry += '*';
  if (parsed.precision == "*") entry.append(".*");
  entry.append(parsed.length_text);
  entry += parsed.letter;
  return entry;
}

bool TextSignature(const char* text, std::string& signature) {
  std::array<std::string_view, kMaxArgumentNumber + 1> by_argument{};
  long count = 0;
  long largest = 0;
  InsertSpan span;
  for (const char* rest = text; NextInsert(rest, span); rest = span.end) {
    const long n = span.argument;
    if (n < 1 || n > kMaxArgumentNumber || *span.percent != '%' || span.end == nullptr ||
        !by_argument[static_cast<std::size_t>(n)].empty() || Judge(ConversionOf(span)) != Verdict::kSound) {
      return false;
    }
    by_argument[static_cast<std::size_t>(n)] = ConversionOf(span);
    ++count;
    largest = std::max(largest, n);
  }
  if (largest != count) return false;
  signature.clear();
  for (long n = 1; n <= count; ++n) signature.append(SignatureEntry(by_argument[static_cast<std::size_t>(n)]));
  return true;
}

bool FormSignature(const FormParts& parts, std::string& signature) {
  std::vector<const FormInsert*> by_argument(parts.inserts.size());
  for (const FormInsert& insert : parts.inserts) {
    const auto k = static_cast<std::size_t>(insert.argument - 1);
    if (insert.argument < 1 || k >= by_argument.size() || by_argument[k] != nullptr) return false;
    by_argument[k] = &insert;
  }
  signature.clear();
  for (const FormInsert* insert : by_argument) signature.append(SignatureEntry(insert->conversion));
  return true;
}

bool TakeSignatureSlot(std::string_view& signature, ArgumentSlot& slot) {
  if (signature.empty() || signature[0] != '%') return false;
  std::size_t letter = 1;
  while (letter < signature.size() && !kIsConversionLetter[static_cast<unsigned char>(signature[letter])]) ++letter;
  if (letter == signature.size()) return false;
  const std::string_view entry = signature.substr(0, letter + 1);
  // "%" and a letter is its own entry and sound, whatever the letter.
  if (entry.size() != 2 && (SignatureEntry(entry) != entry || Judge(entry) != Verdict::kSound)) return false;
  slot = {static_cast<int>(std::count(entry.begin(), entry.end(), '*')), TypeCode(entry)};
  signature.remove_prefix(entry.size());
  return true;
}

bool SignatureSlots(std::string_view signature, std::vector<ArgumentSlot>& slots) {
  slots.clear();
  ArgumentSlot slot;
  while (!signature.empty()) {
    if (!TakeSignatureSlot(signature, slot)) return false;
    slots.push_back(slot);
  }
  return true;
}

SignatureDifference CompareSignatures(std::string_view expected, std::string_view actual) {
  using Kind = SignatureDifference::Kind;
  std::vector<ArgumentSlot> want, have;
  if (!SignatureSlots(expected, want) || !SignatureSlots(actual, have)) return {Kind::kMalformed, 0};
  if (want.size() != have.size()) return {Kind::kCount, 0};
  for (std::size_t k = 0; k < want.size(); ++k) {
    const int argument = static_cast<int>(k + 1);
    if (want[k].type != have[k].type) return {Kind::kType, argument};
    if (want[k].stars != have[k].stars) return {Kind::kStars, argument};
  }
  return {};
}

}  // namespace qokit::format
