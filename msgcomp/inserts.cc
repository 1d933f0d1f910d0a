#include "inserts.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "compiled_form.h"
#include "insert_syntax.h"
#include "messages.h"
#include "msgstate.h"
#include "source_diagnostics.h"
#include "source_reader.h"

namespace qokit::msgcomp {

namespace {

int Fail(InsertFault fault, int k) {
  if (msgState->diagnostics != nullptr) {
    msgState->diagnostics->InsertError(fault, k);
  } else {
    SyncSourcePosition();
    SayInsertFault(fault, k, msgState->curSourceFile, msgState->curSourceLine);
  }
  return 1;
}

// k is the conversion that fails, counted from 1.
size_t FailCompile(CompileFault fault, int k, const char* text, bool report) {
  if (!report) return 0;
  if (msgState->diagnostics != nullptr) {
    msgState->diagnostics->CompileError(fault, k);
  } else if (fault == CompileFault::kLongDouble) {
    SayLongDouble(text);
  } else {
    SayTooManyStars();
  }
  return 0;
}

// What printf makes of a conversion, as Judge says. Conversions repeat
// throughout a catalogue (%s, %d, %ld, ...) and each is judged in both
// passes, so the verdicts of recent ones are kept, keyed by their bytes.
qokit::format::Verdict JudgeConversion(std::string_view conversion) {
  // A conversion has no NUL byte, so its bytes padded with NULs to 16 are its
  // key (built byte by byte: a conversion is a few bytes). The empty key
  // matches no conversion, which starts with "%".
  struct Kept {
    uint64_t key[2] = {};
    qokit::format::Verdict verdict = qokit::format::Verdict::kSound;
  };
  static std::array<Kept, 64> kept;
  if (conversion.size() > sizeof Kept::key) return qokit::format::Judge(conversion);
  uint64_t key[2] = {};
  for (std::size_t i = 0; i < conversion.size(); ++i)
    key[i / 8] |= uint64_t{static_cast<unsigned char>(conversion[i])} << (8 * (i % 8));
  const uint64_t hash = (key[0] * 0x9e3779b97f4a7c15u) ^ (key[1] * 0xbf58476d1ce4e5b9u);
  Kept& slot = kept[hash >> 58];
  if (slot.key[0] != key[0] || slot.key[1] != key[1]) {
    slot.verdict = qokit::format::Judge(conversion);
    slot.key[0] = key[0];
    slot.key[1] = key[1];
  }
  return slot.verdict;
}

// A literal piece of the text is printf text in the compiled form; a "%" in
// it that is not "%%" would be one more conversion there, one that no insert
// declared. k is the conversion printf would take it for.
int CheckLiteral(std::string_view piece, int k) {
  if (qokit::format::LonePercent(piece) == std::string_view::npos) return 0;
  return Fail(InsertFault::kLonePercent, k);
}

}  // namespace

int CheckInserts(const char* text) {
  // Most texts have no insert and no percent sign: nothing to check. The
  // compiler's string layer is always the single-byte family, whose search is
  // strchr: the byte searches here find what it finds.
  const char* at = std::strchr(text, '@');
  if (at == nullptr) return std::strchr(text, '%') == nullptr ? 0 : CheckLiteral(text, 1);
  std::bitset<kMaxArgumentNumber + 1> used;
  int count = 0;
  long largest = 0;
  int32_t longestDirective = 0;
  const char* rest = text;
  qokit::format::InsertSpan span;
  for (; at != nullptr; at = std::strchr(rest, '@')) {
    qokit::format::ReadInsert(at, span);
    const int k = ++count;
    if (CheckLiteral(std::string_view(rest, static_cast<size_t>(span.at - rest)), k) != 0) return 1;
    const long n = span.argument;
    if (n < 1) return Fail(InsertFault::kArgumentBelowOne, k);
    if (n > kMaxArgumentNumber) return Fail(InsertFault::kArgumentAboveLimit, k);
    if (used[n]) return Fail(InsertFault::kDuplicateArgument, k);
    if (*span.percent != '%') return Fail(InsertFault::kNoPercent, k);
    if (span.percent[1] == '%') return Fail(InsertFault::kDoublePercent, k);
    if (span.end == nullptr) return Fail(InsertFault::kNoLetter, k);
    // Long doubles and more than two stars are the second pass's to report.
    switch (JudgeConversion(qokit::format::ConversionOf(span))) {
      case qokit::format::Verdict::kNotPrintf: return Fail(InsertFault::kNotPrintf, k);
      case qokit::format::Verdict::kSizeDiffers: return Fail(InsertFault::kSizeDiffers, k);
      default:
        break;
    }
    used[n] = true;
    if (n > largest) largest = n;
    const auto directiveLen = static_cast<int32_t>(span.end - span.percent);
    if (directiveLen > longestDirective) longestDirective = directiveLen;
    rest = span.end;
  }
  if (CheckLiteral(rest, count + 1) != 0) return 1;
  if (largest != count) return Fail(InsertFault::kNotASequence, 0);
  if (count > msgState->maxInserts) msgState->maxInserts = count;
  if (longestDirective > msgState->maxSpecLen) msgState->maxSpecLen = longestDirective;
  return 0;
}

size_t CompiledSizeBound(size_t textLen) {
  return textLen + 3 * static_cast<size_t>(msgState->maxInserts) + 3;
}

namespace {

size_t Compile(const char* text, unsigned char* buffer, size_t capacity, bool report) {
  // Kept between calls so that a run of many texts allocates only once.
  static qokit::format::FormParts parts;
  parts.pieces.clear();
  parts.inserts.clear();
  parts.in_order = true;
  // Most texts have no insert: one literal piece. (The string layer's search
  // finds an "@" only where a byte search does.)
  if (std::strchr(text, '@') == nullptr) {
    parts.pieces.emplace_back(text);
    return qokit::format::WriteCompiledForm(parts, buffer, capacity);
  }
  std::array<bool, kMaxArgumentNumber> shown{};
  const int limit = msgState->maxInserts < kMaxArgumentNumber ? msgState->maxInserts : kMaxArgumentNumber;
  long previous = 0;
  const char* rest = text;
  qokit::format::InsertSpan span;
  while (static_cast<int>(parts.inserts.size()) < limit && qokit::format::NextInsert(rest, span)) {
    const long n = span.argument;
    if (n < 1 || n > limit || *span.percent != '%' || span.end == nullptr || shown[n - 1]) return 0;
    shown[n - 1] = true;
    if (n <= previous) parts.in_order = false;
    previous = n;
    qokit::format::FormInsert insert;
    insert.argument = static_cast<int>(n);
    insert.conversion = qokit::format::ConversionOf(span);
    insert.type = qokit::format::TypeCode(insert.conversion);
    const int k = static_cast<int>(parts.inserts.size()) + 1;
    if (insert.type == qokit::format::kTypeLongDouble) return FailCompile(CompileFault::kLongDouble, k, text, report);
    const qokit::format::Verdict verdict = JudgeConversion(insert.conversion);
    if (verdict == qokit::format::Verdict::kTooManyStars)
      return FailCompile(CompileFault::kTooManyStars, k, text, report);
    if (verdict != qokit::format::Verdict::kSound) return 0;  // the first pass refuses these
    insert.stars = static_cast<int>(std::count(insert.conversion.begin(), insert.conversion.end(), '*'));
    parts.pieces.emplace_back(rest, static_cast<size_t>(span.at - rest));
    parts.inserts.push_back(insert);
    rest = span.end;
  }
  parts.pieces.emplace_back(rest);
  for (size_t k = 0; k < parts.inserts.size(); ++k) {
    if (!shown[k]) return 0;  // argument numbers were not 1..N
  }
  return qokit::format::WriteCompiledForm(parts, buffer, capacity);
}

}  // namespace

size_t CompileMessageText(const char* text, unsigned char* buffer, size_t capacity) {
  return Compile(text, buffer, capacity, true);
}

size_t CompileMessageTextQuietly(const char* text, unsigned char* buffer, size_t capacity) {
  return Compile(text, buffer, capacity, false);
}

}  // namespace qokit::msgcomp
