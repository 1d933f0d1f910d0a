// The compile-time seam: a fixed clock gives its ctime text, and the
// system's clock comes back afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "compile_clock.h"

using namespace qokit::msgcomp;

namespace {

std::time_t FixedClock() { return 1700000000; }

TEST(CompileClock, FixedClockGivesItsCtimeText) {
  const char* tz = std::getenv("TZ");
  const std::string saved = tz != nullptr ? tz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  char text[26];
  qokit::msgcomp::SetCompileClock(FixedClock);
  qokit::msgcomp::CurrentTimeText(text);
  EXPECT_STREQ(text, "Tue Nov 14 22:13:20 2023");
  SetCompileClock(nullptr);
  CurrentTimeText(text);
  EXPECT_EQ(std::string(text).size(), 24u);
  EXPECT_STRNE(text, "Tue Nov 14 22:13:20 2023");
  if (tz != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
