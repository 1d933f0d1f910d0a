#include "time_text.h"

#include <cstdio>

namespace qokit::format {

namespace {

// The last second whose year still has four digits.
constexpr std::time_t kLastFourDigitYear = 253402300799;

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

std::array<char, kTimeTextLength + 1> UtcTimeText(std::time_t when) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  gmtime_r(&when, &t);
  char text[kTimeTextLength + 8];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d", kDays[t.tm_wday], kMonths[t.tm_mon], t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900);
  std::array<char, kTimeTextLength + 1> out{};
  for (std::size_t i = 0; i < kTimeTextLength; ++i) out[i] = text[i];
  return out;
}

}  // namespace qokit::format
