#include "symbol_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qokit::format {

namespace {

constexpr std::string_view kDefine = "#define";

std::size_t Byte(char c) { return static_cast<unsigned char>(c); }

}  // namespace

DefineKind ClassifyDefine(std::string_view name) {
  if (name == kGuardName) return DefineKind::kGuard;
  if (name == kChecksumName) return DefineKind::kChecksum;
  if (name == kTimestampName) return DefineKind::kTimestamp;
  if (name == kMaxInsertsName) return DefineKind::kMaxInserts;
  return DefineKind::kSymbol;
}

SpaceTable LocaleSpaces() {
  SpaceTable spaces{};
  for (int c = 1; c < 256; ++c) spaces[static_cast<std::size_t>(c)] = std::isspace(c) != 0;
  return spaces;
}

DefineReader::DefineReader(std::string_view bytes, const SpaceTable& spaces) : bytes_(bytes), spaces_(spaces) {
  for (std::size_t c = 1; c < 256; ++c) {
    inWord_[c] = !spaces[c];
    if (spaces[c] && c > ' ') controlSpaces_ = false;
  }
}

bool DefineReader::Next(Define& out) {
  const char* const base = bytes_.data();
  const SpaceTable& spaces = spaces_;
  const std::array<bool, 256>& inWord = inWord_;
  // The compiler pads names with blanks; eight at a time where it did.
  const bool blankIsSpace = spaces[' '];
  while (at_ < bytes_.size()) {
    ++line_;
    const char* p = base + at_;
    const std::size_t room = std::min(bytes_.size() - at_, kLinePieceBytes);
    const auto* feed = static_cast<const char*>(std::memchr(p, '\n', room));
    at_ = feed != nullptr ? static_cast<std::size_t>(feed + 1 - base) : at_ + room;
    const char* const end = feed != nullptr ? feed : p + room;
    // A word is a run of bytes that are neither white space nor NUL; a NUL
    // ends the line, so every word after it is empty.
    auto skipSpaces = [&] {
      if (blankIsSpace) {
        constexpr uint64_t kBlanks = 0x2020202020202020u;
        for (uint64_t eight; end - p >= 8 && (std::memcpy(&eight, p, 8), eight == kBlanks);) p += 8;
      }
      while (p < end && spaces[Byte(*p)]) ++p;
    };
    auto word = [&] {
      skipSpaces();
      const char* start = p;
      // Where no white space byte is above the blank, eight bytes at a time
      // while none of them is a blank, a control byte or NUL.
      if (controlSpaces_) {
        constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
        for (uint64_t eight; end - p >= 8 && (std::memcpy(&eight, p, 8), ((eight - 0x21 * kOnes) & ~eight & kHighs) == 0);)
          p += 8;
      }
      // A NUL is no white space, and ends the word and the line.
      while (p < end && inWord[Byte(*p)]) ++p;
      return std::string_view(start, static_cast<std::size_t>(p - start));
    };
    // The first word is "#define" exactly: those bytes, then none of a word.
    skipSpaces();
    if (end - p < static_cast<long>(kDefine.size()) || std::memcmp(p, kDefine.data(), kDefine.size()) != 0 ||
        (end - p > static_cast<long>(kDefine.size()) && inWord[Byte(p[kDefine.size()])]))
      continue;
    p += kDefine.size();
    out.line = line_;
    out.name = word();
    skipSpaces();
    out.valueAt = static_cast<std::size_t>(p - base);
    out.value = word();
    while (p < end && *p != '\0') ++p;
    out.lineEnd = static_cast<std::size_t>(p - base);
    return true;
  }
  return false;
}

DefineNumber ReadDefineNumber(std::string_view word) {
  // The common word: up to nine digits, which always fit.
  if (!word.empty() && word.size() <= 9) {
    int32_t value = 0;
    std::size_t k = 0;
    for (; k < word.size() && word[k] >= '0' && word[k] <= '9'; ++k) value = value * 10 + (word[k] - '0');
    if (k == word.size()) return {value, true};
  }
  std::size_t i = 0;
  const bool negative = !word.empty() && word[0] == '-';
  if (!word.empty() && (word[0] == '-' || word[0] == '+')) ++i;
  const std::size_t digits = i;
  int64_t magnitude = 0;
  bool fits = true;
  for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
    if (fits) magnitude = magnitude * 10 + (word[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) fits = false;
  }
  DefineNumber number;
  number.whole = i > digits && i == word.size();
  if (i == digits || !fits) return number;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value >= INT32_MIN && value <= INT32_MAX) number.value = static_cast<int32_t>(value);
  return number;
}

}  // namespace qokit::format
