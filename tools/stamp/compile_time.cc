#include "compile_time.h"

#include <array>
#include <cstdio>

#include "object_format.h"
#include "symfile_format.h"

namespace qokit::stamp {

namespace {

// The last second whose year still has four digits.
constexpr std::time_t kLastFourDigitYear = 253402300799;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The 24 characters between the quotes of the "#define _MSGSYM_TIMESTAMP"
// line, as an offset into `bytes`.
std::optional<std::size_t> SymbolFileTimeText(std::string_view bytes) {
  constexpr std::string_view kTimestamp = msgcomp::kTimestampName;
  for (std::size_t line = 0; line < bytes.size();) {
    std::size_t end = bytes.find('\n', line);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(line, end - line);
    std::size_t at = 0;
    auto skip_blanks = [&] { while (at < text.size() && IsBlank(text[at])) ++at; };
    skip_blanks();
    if (text.substr(at, 7) == "#define" && at + 7 < text.size() && IsBlank(text[at + 7])) {
      at += 7;
      skip_blanks();
      if (text.substr(at, kTimestamp.size()) == kTimestamp && at + kTimestamp.size() < text.size() &&
          IsBlank(text[at + kTimestamp.size()])) {
        at += kTimestamp.size();
        skip_blanks();
        if (at + kTimeTextLength + 2 > text.size() || text[at] != '"' ||
            text[at + kTimeTextLength + 1] != '"')
          return std::nullopt;
        return line + at + 1;
      }
    }
    line = end + 1;
  }
  return std::nullopt;
}

bool IsObjectFile(std::string_view bytes) {
  if (bytes.size() < qokit::format::kBlockSize || bytes.substr(0, qokit::format::kMagic.size()) != qokit::format::kMagic) return false;
  // The compile date is the text, then NUL bytes to the end of the block.
  for (std::size_t i = qokit::format::kCompDateAt; i < qokit::format::kCompDateAt + kTimeTextLength; ++i)
    if (bytes[i] == '\0') return false;
  for (std::size_t i = qokit::format::kCompDateAt + kTimeTextLength; i < qokit::format::kBlockSize; ++i)
    if (bytes[i] != '\0') return false;
  return true;
}

}  // namespace

std::optional<std::time_t> ParseEpoch(std::string_view text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::time_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kLastFourDigitYear) return std::nullopt;
  return value;
}

std::string UtcTimeText(std::time_t when) {
  static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  gmtime_r(&when, &t);
  char text[kTimeTextLength + 8];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d", kDays[static_cast<std::size_t>(t.tm_wday)],
                kMonths[static_cast<std::size_t>(t.tm_mon)], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                t.tm_year + 1900);
  return text;
}

std::optional<StampKind> RewriteCompileTime(std::string& bytes, std::string_view time_text) {
  if (time_text.size() != kTimeTextLength) return std::nullopt;
  if (IsObjectFile(bytes)) {
    bytes.replace(qokit::format::kCompDateAt, kTimeTextLength, time_text);
    return StampKind::kObjectFile;
  }
  if (const auto at = SymbolFileTimeText(bytes)) {
    bytes.replace(*at, kTimeTextLength, time_text);
    return StampKind::kSymbolFile;
  }
  return std::nullopt;
}

}  // namespace qokit::stamp
