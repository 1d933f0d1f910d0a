// The plural table: the facts of the common rules, the bytes the writer
// gives a small Russian catalogue (written out by hand from the layout), the
// reader's round trip of them and its refusal of each damaged variant.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plural_layout.h"
#include "plural_table.h"

namespace {

using qokit::format::PluralEntry;
using qokit::format::PluralTableReader;

constexpr std::string_view kRussian =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 : 2);";

TEST(PluralLayout, FactsOfTheCommonRules) {
  struct Row {
    std::string_view language;
    int standing;
    unsigned single_count;
    std::vector<unsigned long> first_count;
  };
  const Row rows[] = {
      {"en", 1, 0b1, {1, 0}},           {"fr", 1, 0b0, {0, 2}},
      {"ru", 2, 0b0, {1, 2, 0}},        {"pl", 2, 0b1, {1, 2, 0}},
      {"ja", 0, 0b0, {0}},              {"sl", 3, 0b0, {1, 2, 3, 0}},
      {"ar", 4, 0b111, {0, 1, 2, 3, 11, 100}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.language);
    qokit::format::PluralRule rule;
    std::string why;
    ASSERT_TRUE(rule.Parse(qokit::format::FindPluralRule(row.language)->plural_forms, why)) << why;
    const qokit::format::PluralFacts facts = qokit::format::FactsOf(rule);
    EXPECT_EQ(facts.standing, row.standing);
    EXPECT_EQ(facts.single_count, row.single_count);
    EXPECT_EQ(std::vector<unsigned long>(facts.first_count.begin(), facts.first_count.begin() + rule.forms()),
              row.first_count);
  }
}

// Russian messages 7 (count argument 1) and 12 (no count) under H = 40: form
// 2 stands; forms 0 and 1 of message 7 at 41 and 42, of message 12 at 43 and
// 44; the table at 45.
const std::string kGolden = std::string("\x01") +
                            "qokit-plural 1\n"
                            "nplurals=3; plural=(n%%10==1 && n%%100!=11 ? 0 : n%%10>=2 && n%%10<=4 && (n%%100<12 || "
                            "n%%100>14) ? 1 : 2);\n"
                            "7 2 41 1 -\n"
                            "12 2 43 0 -\n" +
                            std::string(1, '\0');

TEST(PluralLayout, WritesAndReadsBackTheTable) {
  const std::vector<PluralEntry> entries = {{7, 2, 41, 1, 0}, {12, 2, 43, 0, 0}};
  std::string compiled;
  ASSERT_TRUE(qokit::format::WritePluralTable(kRussian, entries, compiled));
  EXPECT_EQ(compiled, kGolden);
  EXPECT_EQ(qokit::format::FormNumber(entries[1], 1), 44);
  EXPECT_EQ(qokit::format::FormNumber(entries[1], 2), 12);

  PluralTableReader reader;
  qokit::format::PluralLayoutError error;
  ASSERT_TRUE(reader.Start(compiled, 40, 45, error)) << error.detail;
  EXPECT_EQ(reader.rule().forms(), 3);
  std::vector<PluralEntry> read;
  PluralEntry entry;
  PluralTableReader::Step step;
  while ((step = reader.Next(entry, error)) == PluralTableReader::Step::kEntry) read.push_back(entry);
  EXPECT_EQ(step, PluralTableReader::Step::kEnd) << error.detail;
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].number, 7);
  EXPECT_EQ(read[1].first_other, 43);
  EXPECT_EQ(read[1].count_argument, 0);

  std::string tabbed;
  ASSERT_TRUE(qokit::format::WritePluralTable("nplurals=2;\tplural=(n != 1);", {{3, 1, 5, 1, 1}}, tabbed));
  EXPECT_NE(tabbed.find("nplurals=2; plural=(n != 1);\n3 1 5 1 0\n"), std::string::npos);
  EXPECT_FALSE(qokit::format::WritePluralTable("nplurals=2; plural=(n != 1);\n", {}, tabbed));
}

// Each damaged table is refused, by Start or by a later Next, with a detail
// that names the fault.
TEST(PluralLayout, RefusesDamagedTables) {
  struct Row {
    std::string from, to;  // the change to the golden table
    long highest = 40, table = 45;
    std::string detail;
  };
  const Row rows[] = {
      {"qokit-plural 1", "qokit-plural 2", 40, 45, "layout this reader does not know"},
      {"qokit-plural 1", "qokit-plurals", 40, 45, "no header line"},
      {"n%%10==1", "n%10==1", 40, 45, "not doubled"},
      {"nplurals=3", "nplurals=7", 40, 45, "plural rule is refused"},
      {"(n%%100<12", "(n/0<12", 40, 45, "plural rule is refused"},
      {"12 2 43 0 -\n", "12 2 43 0 -", 40, 45, "does not end"},
      {"12 2 43 0 -", "12 2 43 0", 40, 45, "malformed"},
      {"12 2 43 0 -", "12 2 43 -1 -", 40, 45, "malformed"},
      {"12 2 43", "012 2 43", 40, 45, "malformed"},
      {"12 2 43 0 -", "12 2 43 0 - ", 40, 45, "not the rule's"},
      {"12 2 43", "7 2 43", 40, 45, "out of order"},
      {"12 2 43", "41 2 43", 40, 45, "above the symbols"},
      {"12 2 43", "12 1 43", 40, 45, "stands form 1"},
      {"12 2 43", "12 2 44", 40, 45, "not where the last ones ended"},
      {"12 2 43 0", "12 2 43 101", 40, 45, "count argument 101"},
      {"7 2 41 1 -", "7 2 41 1 0", 40, 45, "leaves the count out of form 0"},
      {"7 2 41 1 -", "7 2 41 1 3", 40, 45, "not the rule's"},
      {"7 2 41 1 -", "7 2 41 1 x", 40, 45, "not the rule's"},
      {"", "", 40, 46, "end at message 44, but the table is message 46"},
      {"", "", 40, 44, "past the table"},
      {"", "", 45, 45, "not above the highest symbol's"},
      {"7 2 41 1 -\n12 2 43 0 -\n", "", 40, 41, "lists no message"},
      {"\x01", "", 40, 45, "not an in-order text"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.to);
    std::string damaged = kGolden;
    damaged.replace(damaged.find(row.from), row.from.size(), row.to);
    PluralTableReader reader;
    qokit::format::PluralLayoutError error;
    bool refused = !reader.Start(damaged, row.highest, row.table, error);
    PluralEntry entry;
    PluralTableReader::Step step = PluralTableReader::Step::kEntry;
    while (!refused && step == PluralTableReader::Step::kEntry) {
      step = reader.Next(entry, error);
      refused = step == PluralTableReader::Step::kFault;
    }
    EXPECT_TRUE(refused);
    EXPECT_NE(std::string(error.detail).find(row.detail), std::string::npos) << error.detail;
  }
}

}  // namespace
