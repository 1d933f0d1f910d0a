// The multi-byte and double-byte families on invalid bytes, cut-short
// sequences and case mappings a code set cannot hold, one table of rows run
// in a locale of each code set. The locales are made with localedef into a
// directory of the test's own, shared by its processes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "family_fixture.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

struct LocaleSpec {
  const char* name;
  const char* source;   // localedef -i
  const char* charmap;  // localedef -f
};

constexpr LocaleSpec kLocales[] = {
    {"C.UTF-8", "C", "UTF-8"},           {"en_US.UTF-8", "en_US", "UTF-8"}, {"ja_JP.SJIS", "ja_JP", "SHIFT_JIS"},
    {"ja_JP.EUC-JP", "ja_JP", "EUC-JP"}, {"zh_CN.GBK", "zh_CN", "GBK"},     {"zh_TW.BIG5", "zh_TW", "BIG5"},
    {"de_DE.ISO-8859-1", "de_DE", "ISO-8859-1"},
};

void PrintTo(const LocaleSpec& spec, std::ostream* out) { *out << spec.name; }

// Makes `spec` under `root` unless an earlier run did; returns why it could
// not, or "" when the locale is there.
std::string MakeLocale(const fs::path& root, const LocaleSpec& spec) {
  if (fs::exists(root / spec.name / "LC_CTYPE")) return "";
  std::error_code ec;
  fs::create_directories(root, ec);
  // Made aside and renamed into place, so a parallel test never sees half a
  // locale. -c: SHIFT_JIS and BIG5 are not ASCII-compatible, which localedef
  // only warns about.
  const fs::path aside = root / std::string(".").append(spec.name).append(".").append(std::to_string(getpid()));
  const RunResult made =
      RunProgram("/usr/bin/env", {"localedef", "-c", "-i", spec.source, "-f", spec.charmap, aside.string()});
  if (!fs::exists(aside / "LC_CTYPE")) {
    fs::remove_all(aside, ec);
    return std::string("localedef gave status ").append(std::to_string(made.status)).append(": ").append(made.err);
  }
  fs::rename(aside, root / spec.name, ec);
  fs::remove_all(aside, ec);  // left over when a parallel test was first
  return "";
}

class LocaleRows : public ::testing::TestWithParam<LocaleSpec> {
 protected:
  void SetUp() override {
    const fs::path root = fs::current_path() / "test-locales";
    const std::string why = MakeLocale(root, GetParam());
    if (!why.empty()) GTEST_SKIP() << GetParam().name << " could not be made: " << why;
    setenv("LOCPATH", root.c_str(), 1);
    if (std::setlocale(LC_ALL, GetParam().name) == nullptr) GTEST_SKIP() << GetParam().name << " was made but does not load";
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
};

// Row texts are wide, written in the locale under test: L'\xDC80' + b stands
// for the raw byte b, LEAD for the first byte alone of U+4E2D (a character of
// two or more bytes in every multibyte code set here).
#define RAW_FE L"\xDCFE"
#define RAW_FF L"\xDCFF"
#define LEAD L"\xDB00"
#define SHI_ALT L"\xDCA2\xDCCC"  // BIG5's second spelling of U+5341, beside A4 51

std::optional<std::string> Encode(std::wstring_view text) {
  std::string bytes;
  for (const wchar_t wc : text) {
    if (wc >= 0xDC80 && wc <= 0xDCFF) {
      bytes += static_cast<char>(wc - 0xDC00);
      continue;
    }
    char buf[MB_LEN_MAX];
    std::mbstate_t state{};
    const size_t n = std::wcrtomb(buf, wc == LEAD[0] ? L'\u4E2D' : wc, &state);
    if (n == static_cast<size_t>(-1)) return std::nullopt;
    bytes.append(buf, wc == LEAD[0] ? 1 : n);
  }
  return bytes;
}

enum class Op { kUpper, kLower, kCat, kCpy, kTok, kCmp, kNCmp, kICmp, kChr, kRChr, kCSpn, kBrk, kStr };

struct Row {
  const char* where;  // a part of "<family> <locale>" the row is for; "" for all
  Op op;
  const wchar_t* a;  // the string operated on (the source of kCpy)
  const wchar_t* b;  // the second string; for kChr and kRChr its byte is the character
  size_t n;
  const wchar_t* expected;  // the text left, "token|string left", a sign, a count or an offset
};

constexpr Row kRows[] = {
    // An invalid byte is a character of its own: kept in place, compared and
    // matched by its value, never the end of the text.
    {"", Op::kUpper, L"ab" RAW_FF L"cd", L"", 0, L"AB" RAW_FF L"CD"},
    {"", Op::kLower, L"AB" RAW_FF L"CD", L"", 0, L"ab" RAW_FF L"cd"},
    {"", Op::kCat, L"x" RAW_FF L"y", L"z", 1, L"x" RAW_FF L"yz"},
    {"", Op::kCat, L"x", L"y" RAW_FF L"z", 2, L"xy" RAW_FF},
    {"", Op::kCpy, L"a" RAW_FF L"bc", L"", 9, L"a" RAW_FF L"bc"},
    {"DBCS", Op::kCpy, L"a" RAW_FF L"bc", L"", 3, L"a" RAW_FF L"b"},
    {"", Op::kTok, L"ab" RAW_FF L"c,d", L",", 0, L"ab" RAW_FF L"c|ab" RAW_FF L"c"},
    {"", Op::kTok, L"," RAW_FF L",", L",", 0, RAW_FF L"|," RAW_FF},
    {"", Op::kCmp, L"ab" RAW_FF L"cd", L"ab" RAW_FF L"zz", 0, L"-1"},
    {"", Op::kCmp, L"a" RAW_FF, L"a", 0, L"1"},
    {"", Op::kCmp, L"a" RAW_FE, L"a" RAW_FF, 0, L"-1"},
    {"", Op::kNCmp, L"ab" RAW_FF L"cd", L"ab" RAW_FF L"zz", 3, L"0"},
    {"", Op::kNCmp, L"ab" RAW_FF L"cd", L"ab" RAW_FF L"zz", 4, L"-1"},
    {"", Op::kICmp, L"AB" RAW_FF L"cd", L"ab" RAW_FF L"CE", 0, L"-1"},
    {"", Op::kChr, L"a" RAW_FF L"b", L"b", 0, L"2"},
    {"", Op::kChr, L"a" RAW_FF L"b" RAW_FF, RAW_FF, 0, L"1"},
    {"", Op::kRChr, L"a" RAW_FF L"b" RAW_FF, RAW_FF, 0, L"3"},
    {"", Op::kChr, L"ab" RAW_FE, RAW_FF, 0, L"null"},
    {"", Op::kCSpn, L"ab" RAW_FF L"c", L"c", 0, L"3"},
    {"", Op::kBrk, L"a" RAW_FF L"b", L"b", 0, L"2"},
    {"", Op::kStr, L"a" RAW_FF L"bc", L"bc", 0, L"2"},
    {"", Op::kStr, L"ab" RAW_FF, RAW_FF, 0, L"2"},
    // So is the first byte of a character cut short by the end of the text.
    {"", Op::kUpper, L"ab" LEAD, L"", 0, L"AB" LEAD},
    {"", Op::kCmp, L"a" LEAD, L"a", 0, L"1"},
    {"", Op::kCat, L"x", L"y" LEAD, 9, L"xy" LEAD},
    {"", Op::kCSpn, L"ab" LEAD, L"z", 0, L"3"},
    {"DBCS", Op::kCpy, L"ab" LEAD, L"", 9, L"ab" LEAD},
    // A case the code set cannot write leaves the character as it was ...
    {"UTF-8", Op::kUpper, L"a\u00F0b", L"", 0, L"A\u00D0B"},
    {"EUC-JP", Op::kUpper, L"a\u00F0b", L"", 0, L"A\u00F0B"},
    {"SJIS", Op::kLower, L"\u212BA", L"", 0, L"\u212Ba"},
    {"GBK", Op::kUpper, L"\u0101b", L"", 0, L"\u0101B"},
    {"BIG5", Op::kLower, L"\u2160A", L"", 0, L"\u2160a"},
    {"8859-1", Op::kUpper, L"a\u00FFb\u00B5", L"", 0, L"A\u00FFB\u00B5"},
    // ... and so does one that would take more bytes than the character had.
    {"UTF-8", Op::kUpper, L"\u0250b", L"", 0, L"\u0250B"},
    {"UTF-8", Op::kUpper, L"\u023Fb", L"", 0, L"\u023FB"},
    {"UTF-8", Op::kLower, L"\u023AB", L"", 0, L"\u023Ab"},
    {"EUC-JP", Op::kLower, L"\u212BA", L"", 0, L"\u212Ba"},
    // One that takes fewer is made, and the text closes up behind it.
    {"UTF-8", Op::kLower, L"\u0130AB" RAW_FF, L"", 0, L"iab" RAW_FF},
    // Text the operation does not change keeps its own bytes.
    {"BIG5", Op::kUpper, SHI_ALT L"a", L"", 0, SHI_ALT L"A"},
    {"BIG5", Op::kTok, SHI_ALT L",a", L",", 0, SHI_ALT L"|" SHI_ALT},
    {"BIG5", Op::kCat, SHI_ALT, SHI_ALT, 1, SHI_ALT SHI_ALT},
    {"BIG5", Op::kCpy, SHI_ALT, L"", 9, SHI_ALT},
};

std::string Apply(const NLS_Info& t, const Row& r, std::string a, std::string b) {
  const auto sign = [](int v) { return std::to_string((v > 0) - (v < 0)); };
  const auto at = [&a](const char* p) { return p == nullptr ? std::string("null") : std::to_string(p - a.c_str()); };
  const int character = static_cast<unsigned char>(b[0]);
  std::string target(64, 'Z');
  switch (r.op) {
    case Op::kUpper: t.nlsStrUpper(a.data()); return a.c_str();
    case Op::kLower: t.nlsStrLower(a.data()); return a.c_str();
    case Op::kCat: a.resize(64); t.nlsStrnCat(a.data(), b.c_str(), r.n); return a.c_str();
    case Op::kCpy: t.nlsStrnCpy(target.data(), a.c_str(), r.n); return target.c_str();
    case Op::kTok: {
      char* token = t.nlsStrTok(a.data(), b.c_str());
      const std::string result = std::string(token != nullptr ? token : "null") + "|" + a.c_str();
      std::free(token);
      return result;
    }
    case Op::kCmp: return sign(t.nlsStrCmp(a.c_str(), b.c_str()));
    case Op::kNCmp: return sign(t.nlsStrnCmp(a.c_str(), b.c_str(), r.n));
    case Op::kICmp: return sign(t.nlsStriCmp(a.data(), b.data()));
    case Op::kChr: return at(t.nlsStrChr(a.c_str(), character));
    case Op::kRChr: return at(t.nlsStrrChr(a.c_str(), character));
    case Op::kCSpn: return std::to_string(t.nlsStrcSpn(a.c_str(), b.c_str()));
    case Op::kBrk: return at(t.nlsStrpBrk(a.c_str(), b.c_str()));
    case Op::kStr: return at(t.nlsStrStr(a.c_str(), b.c_str()));
  }
  return "bad row";
}

TEST_P(LocaleRows, WideFamiliesLoseNoText) {
  for (const auto& f : AllFamilies()) {
    if (!IsWide(f)) continue;
    const std::string context = std::string(f.name) + " " + GetParam().name;
    for (const Row& r : kRows) {
      if (context.find(r.where) == std::string::npos) continue;
      const auto a = Encode(r.a), b = Encode(r.b), expected = Encode(r.expected);
      const long row = &r - kRows;
      if (!a || !b || !expected) {
        // Only LEAD, in a code set without multibyte characters, may be unwritable.
        EXPECT_EQ(MB_CUR_MAX, 1u) << context << " row " << row << " cannot be written";
        continue;
      }
      EXPECT_EQ(Apply(f.table, r, *a, *b), *expected) << context << " row " << row;
    }
  }
}

std::string TestName(const ::testing::TestParamInfo<LocaleSpec>& param) {
  std::string name = param.param.name;
  for (char& c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleRows, ::testing::ValuesIn(kLocales), TestName);

}  // namespace
