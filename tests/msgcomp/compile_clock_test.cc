// The compile-time seam: a fixed clock gives its ctime text, and the
// system's clock comes back afterwards; a SOURCE_DATE_EPOCH value gives its
// moment in UTC whatever the time zone, and a malformed one is refused.
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

TEST(CompileClock, SourceDateEpochIsItsMomentInUtc) {
  setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);  // no time zone files needed
  tzset();
  const struct {
    const char* value;
    bool taken;
    const char* text;  // with the clock at FixedClock when not taken
  } rows[] = {{"1700000000", true, "Tue Nov 14 22:13:20 2023"},
              {"0", true, "Thu Jan  1 00:00:00 1970"},
              {"253402300799", true, "Fri Dec 31 23:59:59 9999"},
              {"", false, nullptr},
              {"soon", false, nullptr},
              {"-1", false, nullptr},
              {" 5", false, nullptr},
              {"253402300800", false, nullptr}};
  for (const auto& row : rows) {
    SetCompileClock(FixedClock);
    EXPECT_EQ(UseSourceDateEpoch(row.value), row.taken) << row.value;
    char text[26];
    CurrentTimeText(text);
    if (row.taken) {
      EXPECT_STREQ(text, row.text) << row.value;
    } else {
      EXPECT_STREQ(text, "Tue Nov 14 17:13:20 2023") << row.value;  // the clock's, in New York
    }
  }
  EXPECT_TRUE(UseSourceDateEpoch(nullptr)) << "an unset variable is no fault";
  SetCompileClock(nullptr);
  unsetenv("TZ");
  tzset();
}

}  // namespace
