#pragma once

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <string>

#include "qokit/nls/nlsstr.h"

// The four families as tables of slots, so one case table runs against each.
struct Family {
  const char* name;
  qoNLSCode_t code;
  NLS_Info table;
};

inline std::array<Family, 4> AllFamilies() {
  std::array<Family, 4> families{{{"SBCS", qoSBCS_CODE, {}},
                                  {"UBCS", qoUNICODE, {}},
                                  {"MBCS", qoMBCS_CODE, {}},
                                  {"DBCS", qoDBCS_CODE, {}}}};
  for (auto& f : families) nlsFillSlots(&f.table, f.code);
  return families;
}

inline bool IsWide(const Family& f) { return f.code == qoMBCS_CODE || f.code == qoDBCS_CODE; }

// Runs each test in a real multibyte locale that every Debian machine has,
// where a Greek or Cyrillic letter takes two bytes, and restores "C" after.
class Utf8Locale : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr); }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};
