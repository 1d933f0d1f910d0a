#include "compile_clock.h"

#include <cstring>
#include <optional>

#include "time_text.h"

namespace qokit::msgcomp {

namespace {
std::time_t (*compileClock)() = nullptr;
std::optional<std::time_t> sourceDateEpoch;
}  // namespace

bool UseSourceDateEpoch(const char* value) {
  sourceDateEpoch.reset();
  if (value == nullptr) return true;
  sourceDateEpoch = format::ParseEpoch(value);
  return sourceDateEpoch.has_value();
}

void SetCompileClock(std::time_t (*clock)()) {
  compileClock = clock;
  sourceDateEpoch.reset();
}

void CurrentTimeText(char (&text)[26]) {
  char buffer[26] = {};
  if (sourceDateEpoch) {
    std::memcpy(buffer, format::UtcTimeText(*sourceDateEpoch).data(), format::kTimeTextLength);
  } else {
    const std::time_t now = compileClock != nullptr ? compileClock() : std::time(nullptr);
    if (ctime_r(&now, buffer) == nullptr) std::strcpy(buffer, "Thu Jan  1 00:00:00 1970\n");
    buffer[24] = '\0';
  }
  std::memcpy(text, buffer, sizeof text);
}

}  // namespace qokit::msgcomp
