#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "family_fixture.h"
#include "qokit/unx/psstr.h"
#include "temp_dir.h"

namespace {

// Two-byte characters in UTF-8.
#define ALPHA "\xCE\xB1"
#define BETA "\xCE\xB2"
#define GAMMA "\xCE\xB3"
#define CAP_ALPHA "\xCE\x91"
#define CAP_BETA "\xCE\x92"
#define ZHE "\xD0\xB6"
#define CAP_ZHE "\xD0\x96"

constexpr long kNull = -1;  // expected position meaning "null result"

long Offset(const char* base, const char* found) { return found == nullptr ? kNull : found - base; }

using FamilyTest = Utf8Locale;

struct CountCase {
  const char* string;
  const char* set;
  size_t bytes;  // byte families
  size_t chars;  // wide families
};

TEST_F(FamilyTest, SpanCountsBytesOrCharacters) {
  const CountCase spn[] = {
      {"aab", "a", 2, 2},
      {ALPHA ALPHA BETA "x", ALPHA, 5, 2},  // the lead byte of beta is in the set, byte-wise
      {"", "a", 0, 0},
      {"ab\xFF" "ab", "ab\xFF", 5, 5},  // an invalid byte is a character of its own
  };
  const CountCase cspn[] = {
      {"abc", "c", 2, 2},
      {ALPHA BETA "x", "x", 4, 2},  // a character count, not a byte index
      {"abc", "z", 3, 3},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : spn) EXPECT_EQ(f.table.nlsStrSpn(c.string, c.set), IsWide(f) ? c.chars : c.bytes) << f.name;
    for (const auto& c : cspn) EXPECT_EQ(f.table.nlsStrcSpn(c.string, c.set), IsWide(f) ? c.chars : c.bytes) << f.name;
    EXPECT_EQ(f.table.nlsStrLen(ALPHA BETA), 4u) << f.name;
  }
}

struct CompareCase {
  const char* a;
  const char* b;
  size_t size;
  int sign;
};

int Sign(int v) { return (v > 0) - (v < 0); }

TEST_F(FamilyTest, CompareOrdersByCharacterValue) {
  const CompareCase cases[] = {
      {"abc", "abc", 3, 0}, {"abc", "abd", 3, -1}, {"b", "a", 1, 1}, {ALPHA, BETA, 1, -1},
      {ALPHA BETA, ALPHA GAMMA, 1, 0},  // only the first character is compared
      {"ab", "abc", 2, 0},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : cases) {
      const size_t size = IsWide(f) ? c.size : c.size * (c.a[0] & 0x80 ? 2 : 1);
      EXPECT_EQ(Sign(f.table.nlsStrnCmp(c.a, c.b, size)), c.sign) << f.name << " " << c.a << " " << c.b;
    }
    EXPECT_EQ(Sign(f.table.nlsStrCmp("abc", "abd")), -1) << f.name;
    EXPECT_EQ(Sign(f.table.nlsStrCmp(BETA, ALPHA)), 1) << f.name;
  }
}

struct CaseFoldCase {
  const char* a;
  const char* b;
  int byteSign;  // single-byte and Unicode families fold to upper case
  int wideSign;  // wide families fold to lower case
};

TEST_F(FamilyTest, CaseInsensitiveCompareFoldsInOppositeDirections) {
  const CaseFoldCase cases[] = {
      {"Hello", "hELLO", 0, 0},
      {"a", "_", -1, 1},  // 'A' < '_' < 'a'
      {"abc", "ABD", -1, -1},
      {CAP_ALPHA CAP_BETA, ALPHA BETA, -1, 0},  // only the wide families know Greek case
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : cases) {
      std::string a = c.a, b = c.b;
      EXPECT_EQ(Sign(f.table.nlsStriCmp(a.data(), b.data())), IsWide(f) ? c.wideSign : c.byteSign)
          << f.name << " " << c.a << " " << c.b;
    }
  }
}

struct MapCase {
  const char* in;
  const char* bytesResult;  // single-byte and Unicode families
  const char* wideResult;   // multi-byte and double-byte families
};

TEST_F(FamilyTest, UpperAndLowerCaseInPlace) {
  const MapCase upper[] = {
      {"abc1!z", "ABC1!Z", "ABC1!Z"},
      {"x\xE9y", "X\xE9Y", "X\xE9Y"},  // an invalid byte stays in place
      {ALPHA ZHE "q", ALPHA ZHE "Q", CAP_ALPHA CAP_ZHE "Q"},
      {"", "", ""},
  };
  const MapCase lower[] = {
      {"ABC1!Z", "abc1!z", "abc1!z"},
      {CAP_ALPHA CAP_ZHE "Q", CAP_ALPHA CAP_ZHE "q", ALPHA ZHE "q"},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : upper) {
      std::string s = c.in;
      f.table.nlsStrUpper(s.data());
      EXPECT_STREQ(s.c_str(), IsWide(f) ? c.wideResult : c.bytesResult) << f.name << " " << c.in;
    }
    for (const auto& c : lower) {
      std::string s = c.in;
      f.table.nlsStrLower(s.data());
      EXPECT_STREQ(s.c_str(), IsWide(f) ? c.wideResult : c.bytesResult) << f.name << " " << c.in;
    }
  }
}

TEST_F(FamilyTest, WideCaseMappingNeverGrowsPastTheString) {
  // U+0250 (2 bytes) upper-cases to U+2C6F (3 bytes): it cannot fit and stays.
  for (auto& f : AllFamilies()) {
    if (!IsWide(f)) continue;
    char* s = static_cast<char*>(std::malloc(4));
    std::memcpy(s, "\xC9\x90" "a", 4);
    f.table.nlsStrUpper(s);
    EXPECT_STREQ(s, "\xC9\x90" "A") << f.name;
    std::free(s);
  }
}

struct SearchCase {
  const char* string;
  int character;
  long first;
  long last;
};

TEST_F(FamilyTest, CharacterSearchReturnsPositionsInTheCallersString) {
  const SearchCase cases[] = {
      {"abab", 'b', 1, 3},
      {ALPHA "b" BETA "b", 'b', 2, 5},  // byte offsets count each Greek letter as two
      {"abc", 'z', kNull, kNull},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : cases) {
      EXPECT_EQ(Offset(c.string, f.table.nlsStrChr(c.string, c.character)), c.first) << f.name << " " << c.string;
      EXPECT_EQ(Offset(c.string, f.table.nlsStrrChr(c.string, c.character)), c.last) << f.name << " " << c.string;
    }
  }
}

TEST_F(FamilyTest, DoubleByteSearchSpellsTheCharacterInTheIntegersBytes) {
  const char* text = "x" ALPHA "y" ALPHA;
  const int alpha = 0xCE + 256 * 0xB1;
  EXPECT_EQ(Offset(text, psDBCSStrChr(text, alpha)), 1);
  EXPECT_EQ(Offset(text, psDBCSStrrChr(text, alpha)), 4);
  EXPECT_EQ(Offset(text, psDBCSStrChr(text, 'y')), 3);
  // The multi-byte member uses the low byte only, which alone is no character.
  EXPECT_EQ(psMBCSStrChr(text, alpha), nullptr);
}

struct FindCase {
  const char* string;
  const char* arg;
  long bytes;  // byte families
  long wide;   // wide families
};

TEST_F(FamilyTest, BreakAndSubstringSearch) {
  const FindCase brk[] = {
      {"xy" ALPHA "z", "z" ALPHA, 2, 2},
      {"abc", "xyz", kNull, kNull},
      {ALPHA "b", "\xB1", 1, kNull},  // a lone continuation byte is a character only to byte families
  };
  const FindCase str[] = {
      {"a" ALPHA BETA GAMMA, BETA GAMMA, 3, 3},
      {"abc", "", 0, 0},
      {"abc", "cd", kNull, kNull},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : brk)
      EXPECT_EQ(Offset(c.string, f.table.nlsStrpBrk(c.string, c.arg)), IsWide(f) ? c.wide : c.bytes) << f.name;
    for (const auto& c : str)
      EXPECT_EQ(Offset(c.string, f.table.nlsStrStr(c.string, c.arg)), IsWide(f) ? c.wide : c.bytes) << f.name;
  }
}

TEST_F(FamilyTest, WideTokenizerReturnsAHeapCopyAndEndsTheToken) {
  for (auto* tok : {psMBCSStrTok, psDBCSStrTok}) {
    char text[] = ",," ALPHA "b,c";
    char* token = tok(text, ",");
    ASSERT_NE(token, nullptr);
    EXPECT_STREQ(token, ALPHA "b");
    EXPECT_TRUE(token < text || token >= text + sizeof text);
    const char expected[] = ",," ALPHA "b\0c";
    EXPECT_EQ(std::memcmp(text, expected, sizeof expected), 0);
    std::free(token);

    char onlyDelims[] = ",;,";
    EXPECT_EQ(tok(onlyDelims, ",;"), nullptr);
    EXPECT_STREQ(onlyDelims, ",;,");

    char whole[] = ZHE ZHE;
    token = tok(whole, ",");
    EXPECT_STREQ(token, ZHE ZHE);
    EXPECT_STREQ(whole, ZHE ZHE);
    std::free(token);
  }
}

TEST_F(FamilyTest, ByteTokenizerContinuesInsideTheString) {
  for (auto* tok : {psSBCSStrTok, psUBCSStrTok}) {
    char text[] = ",a,,b";
    EXPECT_EQ(tok(text, ","), text + 1);
    EXPECT_EQ(tok(nullptr, ","), text + 4);
    EXPECT_EQ(tok(nullptr, ","), nullptr);
  }
}

TEST_F(FamilyTest, MultiByteBoundedCopyWritesWholeCharactersOnly) {
  struct Case {
    const char* source;
    size_t size;
    const char* expected;  // bytes of target after the copy (a 6-byte buffer of 'Z')
  };
  const Case cases[] = {
      {ALPHA BETA, 0, "ZZZZZZ"},          // size 0 leaves target untouched
      {ALPHA BETA, 5, ALPHA BETA "\0Z"},  // one byte more than the source: whole source, terminated
      {ALPHA BETA, 3, ALPHA "\0ZZZ"},     // stops before a character that would be split
      {ALPHA BETA, 4, ALPHA BETA "ZZ"},   // fills size exactly: left unterminated, as strncpy does
      {"ab", 6, "ab\0ZZZ"},
  };
  for (const auto& c : cases) {
    char target[6];
    std::memset(target, 'Z', sizeof target);
    psMBCSStrnCpy(target, c.source, c.size);
    EXPECT_EQ(std::memcmp(target, c.expected, sizeof target), 0) << c.size;
  }
}

TEST_F(FamilyTest, DoubleByteBoundedCopyCountsCharactersAndAlwaysTerminates) {
  struct Case {
    const char* source;
    size_t size;
    const char* expected;
  };
  const Case cases[] = {
      {ALPHA BETA GAMMA, 2, ALPHA BETA},
      {ALPHA BETA, 9, ALPHA BETA},
      {"abc", 0, ""},
  };
  for (const auto& c : cases) {
    char target[8];
    std::memset(target, 'Z', sizeof target);
    psDBCSStrnCpy(target, c.source, c.size);
    EXPECT_STREQ(target, c.expected) << c.size;
  }
}

TEST_F(FamilyTest, BoundedAppend) {
  struct Case {
    const char* source;
    size_t size;
    const char* bytesResult;  // strncat counts bytes
    const char* wideResult;   // the wide families count characters
  };
  const Case cases[] = {
      {ALPHA BETA, 1, "x\xCE", "x" ALPHA},
      {ALPHA BETA, 0, "x", "x"},
      {"yz", 9, "xyz", "xyz"},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : cases) {
      char target[16] = "x";
      f.table.nlsStrnCat(target, c.source, c.size);
      EXPECT_STREQ(target, IsWide(f) ? c.wideResult : c.bytesResult) << f.name << " " << c.size;
    }
  }
}

TEST_F(FamilyTest, MovingBetweenCharacters) {
  char text[] = "a" ALPHA "b";
  for (auto& f : AllFamilies()) {
    const bool bytes = f.code == qoSBCS_CODE;
    EXPECT_EQ(f.table.nlsCharAdv(text + 1), text + (bytes ? 2 : 3)) << f.name;
    // At the terminator the single-byte family stays put; the others give null.
    EXPECT_EQ(f.table.nlsCharAdv(text + 4), bytes ? text + 4 : nullptr) << f.name;
    EXPECT_EQ(f.table.nlsCharBack(text, text), text) << f.name;
    EXPECT_EQ(f.table.nlsCharBack(text, text + 3), text + (bytes ? 2 : 1)) << f.name;
    EXPECT_EQ(f.table.nlsCharSize('a'), 1u) << f.name;
  }
  char invalid[] = "\xFF" "a";
  EXPECT_EQ(psMBCSCharAdv(invalid), invalid + 1);
  EXPECT_EQ(psUBCSCharAdv(nullptr), nullptr);
}

TEST_F(FamilyTest, ClassificationMembers) {
  struct Case {
    const char* string;
    bool space;
    bool singleByteWide;  // IsSBCSStr of the wide families
  };
  const Case cases[] = {
      {"", false, true}, {"\tx", true, true}, {"abc", false, true}, {"a" ALPHA, false, false}, {ALPHA " ", false, false},
  };
  for (auto& f : AllFamilies()) {
    for (const auto& c : cases) {
      EXPECT_EQ(f.table.nlsIsSpace(c.string) != 0, c.space) << f.name << " " << c.string;
      EXPECT_EQ(f.table.nlsIsSBCSStr(c.string), IsWide(f) ? (c.singleByteWide ? 1 : 0) : 1) << f.name;
    }
    EXPECT_EQ(f.table.nlsInitCS(), 0);
    EXPECT_EQ(f.table.nlsCSSpace(), -1);
    EXPECT_EQ(f.table.nlsGetcType(nullptr, 3), 0);
  }
  // Only the wide families know that an em space is white space.
  EXPECT_NE(psMBCSIsSpace("\xE2\x80\x83x"), 0);
  EXPECT_NE(psDBCSIsSpace("\xE2\x80\x83x"), 0);
  EXPECT_EQ(psSBCSIsSpace("\xE2\x80\x83x"), 0);
}

TEST_F(FamilyTest, DuplicatesAreOwnedHeapCopies) {
  for (auto& f : AllFamilies()) {
    EXPECT_EQ(f.table.nlsStrDup(nullptr), nullptr) << f.name;
    char text[] = "x" ALPHA;
    char* copy = f.table.nlsStrDup(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, text);
    std::free(copy);
  }
}

TEST_F(FamilyTest, DoubleByteCharSizeOfASingleByte) {
  EXPECT_EQ(psDBCSCharSize('a'), 1u);
  EXPECT_EQ(psDBCSCharSize('\0'), 1u);
  EXPECT_EQ(psDBCSCharSize('\xCE'), 1u);  // only begins a character
}

TEST(SingleByteFamily, UpperCaseInTheCLocaleTouchesOnlyAToZ) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string expected = all;
  for (char& c : expected) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  psSBCSStrUpper(all.data());
  EXPECT_EQ(all, expected);
}

TEST(OemToAnsi, LeavesEveryStringUnchanged) {
  for (const char* s : {"", "abc", "\xE9\x80"}) {
    std::string copy = s;
    psOEMToAnsi(copy.data());
    EXPECT_EQ(copy, s);
  }
}

}  // namespace

namespace {

// Heap exhaustion while making a working copy: each member gives its null or
// unchanged result instead of crashing. Run in a child process whose address
// space is capped just above what it already uses, with a text whose wide
// copy (four bytes per byte) cannot fit.
TEST_F(FamilyTest, ExhaustedHeapGivesTheNullOrUnchangedResult) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves the address space this test caps";
#else
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr size_t kBytes = 64u << 20;
    char* text = static_cast<char*>(std::malloc(kBytes + 1));
    if (text == nullptr) _exit(10);
    std::memset(text, 'a', kBytes);
    text[kBytes] = '\0';
    std::string status = ReadFileBytes("/proc/self/status");
    const size_t at = status.find("VmSize:");
    const size_t usedKb = std::strtoul(status.c_str() + at + 7, nullptr, 10);
    rlimit cap{(usedKb << 10) + (96u << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(11);
    if (psMBCSStrChr(text, 'a') != nullptr) _exit(1);
    if (psMBCSStrStr(text, "a") != nullptr) _exit(2);
    if (psMBCSStrTok(text, ",") != nullptr) _exit(3);
    if (psMBCSStrSpn(text, "a") != 0) _exit(4);
    psMBCSStrUpper(text);
    if (text[0] != 'a') _exit(5);
    char target[4] = "xy";
    psMBCSStrnCpy(target, text, 3);
    if (std::strcmp(target, "xy") != 0) _exit(6);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

}  // namespace
