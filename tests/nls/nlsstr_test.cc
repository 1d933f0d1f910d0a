#include "nlsstr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(NlsInit, RecordsTheFixedLocaleFacts) {
  EXPECT_EQ(nlsInit(), 0);
  EXPECT_EQ(nls.actualNLSCode, qoSBCS_CODE);
  EXPECT_STREQ(nls.Locale, "C");
  EXPECT_STREQ(nls.Language, "C");
  EXPECT_EQ(reinterpret_cast<void*>(nls.nlsStrLen), reinterpret_cast<void*>(&strlen));
}

}  // namespace
