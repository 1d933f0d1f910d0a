// Plural rules against glibc's ngettext: real translations (tar, wget,
// coreutils in Russian, Polish, Japanese and German, GLib in Arabic)
// compiled by msgfmt pick for every count 0..200 the string our evaluator of
// their Plural-Forms picks, and the built-in table's rule for the language
// picks the same; random rules in catalogues written here give glibc's
// forms for every count; and what is no rule is refused.
#include <gtest/gtest.h>
#include <libintl.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "plural_rule.h"
#include "plural_table.h"
#include "po_file.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned long kCounts = 201;

// Makes glibc look up `domain` in `dir` for `language`.
void UseCatalogue(const char* domain, const fs::path& dir, const std::string& language) {
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  ASSERT_EQ(setenv("LANGUAGE", language.c_str(), 1), 0);
  ASSERT_NE(bindtextdomain(domain, dir.c_str()), nullptr);
  ASSERT_NE(bind_textdomain_codeset(domain, "UTF-8"), nullptr);
}

TEST(PluralRule, RealTranslationsPickTheFormsNgettextPicks) {
  const fs::path data = fs::path(QOKIT_SOURCE_DIR) / "tests/kit/data/plural-po";
  TempDir dir;
  int compared = 0;
  for (const std::string language : {"ru", "pl", "ar", "ja", "de"}) {
    SCOPED_TRACE(language);
    std::vector<qokit::po::PoEntry> entries;
    qokit::po::PoSyntaxError error;
    ASSERT_TRUE(qokit::po::ReadPo(ReadFileBytes(data / (language + ".po")), entries, error)) << error.what;
    ASSERT_TRUE(entries[0].IsHeader());
    qokit::format::PluralRule own, table;
    std::string why;
    ASSERT_TRUE(own.Parse(qokit::po::HeaderField(entries[0], "Plural-Forms"), why)) << why;
    ASSERT_TRUE(own.Check(why)) << why;
    const qokit::format::PluralTableRow* row = qokit::format::FindPluralRule(language);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(table.Parse(row->plural_forms, why)) << why;

    const std::string domain = "qokit-plural-" + language;
    fs::create_directories(dir / language / "LC_MESSAGES");
    const RunResult r = RunProgram("/usr/bin/env", {"msgfmt", "-o", (dir / language / "LC_MESSAGES" / (domain + ".mo")).string(),
                                                    (data / (language + ".po")).string()});
    ASSERT_EQ(r.status, 0) << r.err;
    UseCatalogue(domain.c_str(), dir.path(), language);
    int plurals = 0;
    for (const qokit::po::PoEntry& entry : entries) {
      // "%<PRIuMAX>" is resolved when the catalogue is loaded; glibc knows
      // such an entry only under the resolved msgid.
      if (!entry.has_plural || entry.msgid.find("%<") != std::string::npos) continue;
      ++plurals;
      ASSERT_EQ(entry.msgstr.size(), static_cast<std::size_t>(own.forms()));
      for (unsigned long n = 0; n < kCounts; ++n) {
        const std::string glibc = dngettext(domain.c_str(), entry.msgid.c_str(), entry.msgid_plural.c_str(), n);
        EXPECT_EQ(entry.msgstr[static_cast<std::size_t>(own.FormFor(n))], glibc) << "n = " << n;
        EXPECT_EQ(entry.msgstr[static_cast<std::size_t>(table.FormFor(n))], glibc) << "table, n = " << n;
        ++compared;
      }
    }
    EXPECT_GE(plurals, 3);
  }
  EXPECT_GT(compared, 9000);
}

// A .mo file with a header naming `plural_forms` and one plural entry
// whose forms are "0", "1", ...: magic, revision, count, the offsets of the
// two string tables, an empty hash table, then the strings.
std::string MoFile(const std::string& plural_forms, int forms) {
  const std::string header = "Content-Type: text/plain; charset=UTF-8\nPlural-Forms: " + plural_forms + "\n";
  const std::string msgid = std::string("a") + '\0' + "b";
  std::string msgstr;
  for (int i = 0; i < forms; ++i) msgstr.append(i == 0 ? "" : std::string(1, '\0')).append(std::to_string(i));
  const std::string originals[] = {"", msgid};
  const std::string translations[] = {header, msgstr};
  std::string out;
  const auto put = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
  };
  const uint32_t tables = 28, strings = tables + 2 * 16;
  put(0x950412de), put(0), put(2), put(tables), put(tables + 16), put(0), put(strings);
  uint32_t at = strings;
  for (const auto* list : {originals, translations}) {
    for (int i = 0; i < 2; ++i) {
      put(static_cast<uint32_t>(list[i].size())), put(at);
      at += static_cast<uint32_t>(list[i].size()) + 1;
    }
  }
  for (const auto* list : {originals, translations}) {
    for (int i = 0; i < 2; ++i) out.append(list[i]).push_back('\0');
  }
  return out;
}

// A random expression of every operator, with numbers and n, spaced and
// parenthesised at random; / and % only by a nonzero number, so neither
// side ever divides by zero.
std::string RandomExpression(std::mt19937& rng, int depth) {
  const auto leaf = [&]() { return rng() % 3 == 0 ? std::string("n") : std::to_string(rng() % 13); };
  if (depth == 0 || rng() % 5 == 0) return leaf();
  const auto blank = [&]() { return rng() % 2 == 0 ? std::string(" ") : std::string(); };
  static const char* const kBinary[] = {"||", "&&", "==", "!=", "<", ">", "<=", ">=", "+", "-", "*"};
  switch (rng() % 6) {
    case 0: return "!" + blank() + RandomExpression(rng, depth - 1);
    case 1: return "(" + RandomExpression(rng, depth - 1) + ")";
    case 2:
      return RandomExpression(rng, depth - 1) + blank() + "?" + blank() + RandomExpression(rng, depth - 1) + blank() +
             ":" + blank() + RandomExpression(rng, depth - 1);
    case 3: return RandomExpression(rng, depth - 1) + blank() + (rng() % 2 == 0 ? "%" : "/") + blank() +
                   std::to_string(1 + rng() % 12);
    default:
      return RandomExpression(rng, depth - 1) + blank() + kBinary[rng() % std::size(kBinary)] + blank() +
             RandomExpression(rng, depth - 1);
  }
}

TEST(PluralRule, RandomRulesPickTheFormsGlibcPicks) {
  std::mt19937 rng(200);
  TempDir dir;
  fs::create_directories(dir / "xx" / "LC_MESSAGES");
  for (int i = 0; i < 300; ++i) {
    const int forms = 1 + static_cast<int>(rng() % qokit::format::kMaxPluralForms);
    const std::string rule = "nplurals=" + std::to_string(forms) + "; plural=" + RandomExpression(rng, 5) + ";";
    SCOPED_TRACE(rule);
    qokit::format::PluralRule ours;
    std::string why;
    ASSERT_TRUE(ours.Parse(rule, why)) << why;
    const std::string domain = "qokit-random-" + std::to_string(i);
    dir.Write("xx/LC_MESSAGES/" + domain + ".mo", MoFile(rule, forms));
    UseCatalogue(domain.c_str(), dir.path(), "xx");
    for (unsigned long n = 0; n < kCounts; ++n) {
      EXPECT_EQ(std::to_string(ours.FormFor(n)), dngettext(domain.c_str(), "a", "b", n)) << "n = " << n;
    }
  }
}

TEST(PluralRule, RefusesWhatIsNoRule) {
  const std::string deep = "nplurals=2; plural=" + std::string(30, '(') + "n" + std::string(30, ')') + ";";
  std::string chain = "nplurals=2; plural=n";
  for (int i = 0; i < 30; ++i) chain += "+n";
  const std::string rows[] = {
      "", "nplurals=2;", "plural=n != 1;", "nplurals=0; plural=0;", "nplurals=7; plural=0;", "nplurals=x; plural=0;",
      "nplurals=2; plural=n != 1 x;", "nplurals=2; plural=n = 1;", "nplurals=2; plural=n & 1;",
      "nplurals=2; plural=(n;", "nplurals=2; plural=n ? 1;", "nplurals=2; plural=-n;", "nplurals=2; plural=m;",
      "nplurals=2; plural=1000000000;", "nplurals=2; plural=n |;", deep, chain,
      "nplurals=2; plural=n" + std::string(600, ' ') + "!= 1;",
  };
  for (const std::string& row : rows) {
    qokit::format::PluralRule rule;
    std::string why;
    EXPECT_FALSE(rule.Parse(row, why)) << row;
    EXPECT_FALSE(why.empty()) << row;
  }
  // Parsed, but no rule msgfmt takes: a division by zero, a form past the last.
  for (const char* row : {"nplurals=2; plural=n / (n - 5);", "nplurals=2; plural=n % 3;"}) {
    qokit::format::PluralRule rule;
    std::string why;
    ASSERT_TRUE(rule.Parse(row, why)) << why;
    EXPECT_FALSE(rule.Check(why)) << row;
    EXPECT_EQ(rule.FormFor(5), 0) << row;
  }
}

TEST(PluralRule, EveryTableRowIsASoundRule) {
  for (const qokit::format::PluralTableRow& row : qokit::format::PluralTable()) {
    SCOPED_TRACE(row.languages);
    qokit::format::PluralRule rule;
    std::string why;
    ASSERT_TRUE(rule.Parse(row.plural_forms, why)) << why;
    EXPECT_TRUE(rule.Check(why)) << why;
    // One category name per form, and every form taken by some count.
    EXPECT_EQ(static_cast<int>(std::count(row.categories.begin(), row.categories.end(), ' ')) + 1, rule.forms());
    std::vector<bool> taken(static_cast<std::size_t>(rule.forms()));
    for (unsigned long n = 0; n < qokit::format::kRuleCheckedCounts; ++n) taken[static_cast<std::size_t>(rule.FormFor(n))] = true;
    EXPECT_EQ(std::count(taken.begin(), taken.end(), true), rule.forms());
  }
  EXPECT_EQ(qokit::format::FindPluralRule("pt_BR")->plural_forms, "nplurals=2; plural=(n > 1);");
  EXPECT_EQ(qokit::format::FindPluralRule("pt_PT")->plural_forms, "nplurals=2; plural=(n != 1);");
  EXPECT_EQ(qokit::format::FindPluralRule("sr@latin"), qokit::format::FindPluralRule("sr"));
  EXPECT_EQ(qokit::format::FindPluralRule("de_AT.UTF-8"), qokit::format::FindPluralRule("de"));
  EXPECT_EQ(qokit::format::FindPluralRule("tlh"), nullptr);
}

}  // namespace
