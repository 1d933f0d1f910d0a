#include "qokit/nls/nlsstr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "family_fixture.h"
#include "qokit/unx/psstr.h"

extern "C" int CHeaderSelfCheck(void);

namespace {

// The slots of a table in order, as untyped addresses for comparison.
std::vector<void*> Slots(const NLS_Info& t) {
  return {reinterpret_cast<void*>(t.nlsStrLen),   reinterpret_cast<void*>(t.nlsStrCat),
          reinterpret_cast<void*>(t.nlsStrnCat),  reinterpret_cast<void*>(t.nlsStrCpy),
          reinterpret_cast<void*>(t.nlsStrnCpy),  reinterpret_cast<void*>(t.nlsStrCmp),
          reinterpret_cast<void*>(t.nlsStrnCmp),  reinterpret_cast<void*>(t.nlsStrChr),
          reinterpret_cast<void*>(t.nlsStrrChr),  reinterpret_cast<void*>(t.nlsStrSpn),
          reinterpret_cast<void*>(t.nlsStrcSpn),  reinterpret_cast<void*>(t.nlsStrpBrk),
          reinterpret_cast<void*>(t.nlsStrStr),   reinterpret_cast<void*>(t.nlsStrTok),
          reinterpret_cast<void*>(t.nlsStrDup),   reinterpret_cast<void*>(t.nlsStriCmp),
          reinterpret_cast<void*>(t.nlsStrUpper), reinterpret_cast<void*>(t.nlsStrLower),
          reinterpret_cast<void*>(t.nlsCharAdv),  reinterpret_cast<void*>(t.nlsCharBack),
          reinterpret_cast<void*>(t.nlsCharSize), reinterpret_cast<void*>(t.nlsIsSpace),
          reinterpret_cast<void*>(t.nlsIsSBCSStr), reinterpret_cast<void*>(t.nlsInitCS),
          reinterpret_cast<void*>(t.nlsCSSpace),  reinterpret_cast<void*>(t.nlsGetcType)};
}

template <typename F>
void* Addr(F f) {
  return reinterpret_cast<void*>(f);
}

#define FAMILY_COLUMN(P)                                                                                          \
  std::vector<void*> {                                                                                            \
    Addr(P##StrLen), Addr(P##StrCat), Addr(P##StrnCat), Addr(P##StrCpy), Addr(P##StrnCpy), Addr(P##StrCmp),       \
        Addr(P##StrnCmp), Addr(P##StrChr), Addr(P##StrrChr), Addr(P##StrSpn), Addr(P##StrcSpn), Addr(P##StrpBrk), \
        Addr(P##StrStr), Addr(P##StrTok), Addr(P##StrDup), Addr(P##StriCmp), Addr(P##StrUpper),                   \
        Addr(P##StrLower), Addr(P##CharAdv), Addr(P##CharBack), Addr(P##CharSize), Addr(P##IsSpace),              \
        Addr(P##IsSBCSStr), Addr(P##InitCS), Addr(P##CSSpace), Addr(P##GetcType)                                  \
  }

// The single-byte column: the standard library's byte functions themselves,
// then the family's own members.
std::vector<void*> SingleByteColumn() {
  using Chr = char* (*)(char*, int);
  using Brk = char* (*)(char*, const char*);
  return {Addr(&strlen),        Addr(&strcat),          Addr(&strncat),        Addr(&strcpy),
          Addr(&strncpy),       Addr(&strcmp),          Addr(&strncmp),        Addr(static_cast<Chr>(&strchr)),
          Addr(static_cast<Chr>(&strrchr)), Addr(&strspn), Addr(&strcspn),     Addr(static_cast<Brk>(&strpbrk)),
          Addr(static_cast<Brk>(&strstr)),  Addr(&strtok), Addr(psSBCSStrDup), Addr(psSBCSStriCmp),
          Addr(psSBCSStrUpper), Addr(psSBCSStrLower),   Addr(psSBCSCharAdv),   Addr(psSBCSCharBack),
          Addr(psSBCSCharSize), Addr(psSBCSIsSpace),    Addr(psSBCSIsSBCSStr), Addr(psSBCSInitCS),
          Addr(psSBCSCSSpace),  Addr(psSBCSGetcType)};
}

TEST(NlsInit, RecordsTheFixedLocaleFactsAndLeavesTheRestZero) {
  ASSERT_EQ(nlsInit(), 0);
  EXPECT_EQ(nls.actualNLSCode, qoSBCS_CODE);
  EXPECT_EQ(nls.UnicodeEnabled, bFalse);
  EXPECT_STREQ(nls.Locale, "C");
  EXPECT_STREQ(nls.CodePage, "");
  EXPECT_STREQ(nls.Language, "C");
  EXPECT_EQ(nls.date_sep, 0);
  EXPECT_EQ(nls.time_sep, 0);
  EXPECT_EQ(nls.thousand_sep, ',');
  EXPECT_EQ(nls.decimal_sep, '.');
  EXPECT_EQ(nls.subsecond_sep, '.');
  EXPECT_STREQ(nls.date_fmt_str, "");
  EXPECT_STREQ(nls.time_fmt_str, "");
  EXPECT_STREQ(nls.am_str, "");
  EXPECT_STREQ(nls.pm_str, "");
  EXPECT_EQ(nls.setDateFmt, nullptr);
  EXPECT_EQ(nls.setTimeFmt, nullptr);
}

TEST(NlsInit, InstallsTheSingleByteColumnWithTheStandardFunctionsThemselves) {
  ASSERT_EQ(nlsInit(), 0);
  EXPECT_EQ(reinterpret_cast<void*>(nls.nlsStrLen), reinterpret_cast<void*>(&strlen));
  EXPECT_EQ(Slots(nls), SingleByteColumn());
  // The installed C functions behave as the standard says through the slots.
  char buf[8] = "xxxxxxx";
  nls.nlsStrnCpy(buf, "ab", 4);
  EXPECT_EQ(std::memcmp(buf, "ab\0\0xxx", 8), 0);
  EXPECT_STREQ(nls.nlsStrChr("abc", 'b'), "bc");
}

TEST(NlsInit, CallingItTwiceGivesTheSameTable) {
  ASSERT_EQ(nlsInit(), 0);
  const NLS_Info first = nls;
  ASSERT_EQ(nlsInit(), 0);
  EXPECT_EQ(std::memcmp(&first, &nls, sizeof nls), 0);
}

TEST(NlsFillSlots, EveryColumnIsOneFamilyWithNoNullSlot) {
  const std::vector<std::pair<qoNLSCode_t, std::vector<void*>>> columns = {
      {qoSBCS_CODE, SingleByteColumn()},
      {static_cast<qoNLSCode_t>(7), SingleByteColumn()},  // any other code selects single-byte
      {qoDBCS_CODE, FAMILY_COLUMN(psDBCS)},
      {qoMBCS_CODE, FAMILY_COLUMN(psMBCS)},
      {qoUNICODE, FAMILY_COLUMN(psUBCS)},
  };
  for (const auto& [code, expected] : columns) {
    NLS_Info table{};
    nlsFillSlots(&table, code);
    const auto slots = Slots(table);
    EXPECT_EQ(slots, expected) << "code " << code;
    for (void* slot : slots) EXPECT_NE(slot, nullptr) << "code " << code;
  }
}

TEST(CodeSetSelection, ExactCaseSensitiveNames) {
  const std::pair<const char*, qoNLSCode_t> cases[] = {
      {"ja_JP", qoMBCS_CODE},    {"zh_CN", qoMBCS_CODE},  {"zh_TW", qoMBCS_CODE}, {"ko_KR", qoMBCS_CODE},
      {"Ja_JP", qoMBCS_CODE},    {"Zh_CN", qoUNICODE},    {"JA_JP", qoSBCS_CODE}, {"ZH_CN", qoSBCS_CODE},
      {"ja_JP.eucJP", qoSBCS_CODE}, {"ja", qoSBCS_CODE},  {"", qoSBCS_CODE},      {"C", qoSBCS_CODE},
      {"Ko_KR", qoSBCS_CODE},
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(psCodeSetForLanguage(name), code) << "'" << name << "'";
}

TEST(InfoObject, IsAClearedCopyWithTheGlobalSlots) {
  ASSERT_EQ(nlsInit(), 0);
  nlsInfoObject_t* obj = newNlsInfoObject();
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->actualNLSCode, qoSBCS_CODE);
  EXPECT_EQ(Slots(*obj), Slots(nls));
  EXPECT_STREQ(obj->Locale, "");  // locale facts are recorded in the global table only
  EXPECT_EQ(obj->thousand_sep, 0);
  destroyNlsInfoObject(obj);
}

TEST(InfoObject, NullArgumentsAreHarmless) {
  EXPECT_EQ(initNlsInfoObject(nullptr), 0);
  EXPECT_EQ(nls.nlsStrLen("abc"), 3u);
  destroyNlsInfoObject(nullptr);
}

TEST(InfoObject, InitFillsOnlyTheCodeAndTheSlots) {
  nlsInfoObject_t obj;
  std::memset(&obj, 0x5A, sizeof obj);
  ASSERT_EQ(initNlsInfoObject(&obj), 0);
  EXPECT_EQ(obj.actualNLSCode, qoSBCS_CODE);
  EXPECT_EQ(Slots(obj), SingleByteColumn());
  EXPECT_EQ(obj.Locale[0], 0x5A);
  EXPECT_EQ(obj.decimal_sep, 0x5A);
}

TEST(EndOfUse, TermAndConvChangeNothing) {
  ASSERT_EQ(nlsInit(), 0);
  const NLS_Info before = nls;
  EXPECT_EQ(nlsTerm(), 0);
  EXPECT_EQ(nlsConv(), 0);
  EXPECT_EQ(std::memcmp(&before, &nls, sizeof nls), 0);
  char text[] = "abc";
  nls.nlsStrUpper(text);
  EXPECT_STREQ(text, "ABC");
}

TEST(Header, UsableFromC) { EXPECT_EQ(CHeaderSelfCheck(), 0); }

}  // namespace
