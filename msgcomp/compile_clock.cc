#include "compile_clock.h"

#include <cstring>

namespace qokit::msgcomp {

namespace {
std::time_t (*compileClock)() = nullptr;
}  // namespace

void SetCompileClock(std::time_t (*clock)()) { compileClock = clock; }

void CurrentTimeText(char (&text)[26]) {
  const std::time_t now = compileClock != nullptr ? compileClock() : std::time(nullptr);
  char buffer[26] = {};
  if (ctime_r(&now, buffer) == nullptr) std::strcpy(buffer, "Thu Jan  1 00:00:00 1970\n");
  buffer[24] = '\0';
  std::memcpy(text, buffer, sizeof text);
}

}  // namespace qokit::msgcomp
