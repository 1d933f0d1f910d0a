// Plural catalogues made at random (every built-in rule, counts shown or
// left out where the rule allows it, arguments in and out of order) through
// the real compiler: every form lies where the plural table says, as its
// source text with the count appended where the form leaves it out, and a
// dump of the catalogue recompiles to the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "compiled_form.h"
#include "object_file.h"
#include "plural_layout.h"
#include "plural_table.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fmt = qokit::format;

struct Message {
  long number = 0;
  std::vector<std::string> forms;   // as written
  std::vector<std::string> stored;  // as the object file must hold them
};

// "@n" and a conversion. (Built by append: GCC 12's optimiser misreads a
// literal joined to a temporary string as an overlapping copy.)
std::string Insert(int argument, std::string_view conversion) {
  std::string insert("@");
  return insert.append(std::to_string(argument)).append(conversion);
}

// The source text of a compiled form: each insert as "@n" and its conversion.
std::string SourceOf(std::string_view compiled) {
  fmt::FormParts parts;
  std::string why;
  if (!fmt::ReadCompiledForm(compiled, parts, why)) return "unreadable: " + why;
  std::string text;
  for (std::size_t i = 0; i < parts.pieces.size(); ++i) {
    text += parts.pieces[i];
    if (i < parts.inserts.size()) text += Insert(parts.inserts[i].argument, parts.inserts[i].conversion);
  }
  return text;
}

// A catalogue for `row`'s rule: plural messages with a count (%d or %lu),
// up to two other arguments (%s, %.2f) in a random order per form, the
// count left out of single-count forms at random; ordinary messages between.
std::string MakeSource(const fmt::PluralTableRow& row, std::mt19937& random, std::vector<Message>& messages) {
  fmt::PluralRule rule;
  std::string why;
  EXPECT_TRUE(rule.Parse(row.plural_forms, why)) << why;
  const fmt::PluralFacts facts = fmt::FactsOf(rule);
  std::string source = "0 I PLURALFORMS \"" + std::string(row.plural_forms) + "\"\n";
  long number = 0;
  const int count = 1 + static_cast<int>(random() % 6);
  for (int m = 0; m < count; ++m) {
    number += 1 + static_cast<long>(random() % 40);
    source += std::to_string(number) + " I PLAIN_" + std::to_string(number) + " \"plain @1%s\"\n";
    Message message;
    message.number = ++number;
    const int others = static_cast<int>(random() % 3);
    // Under a rule of one form only "{@k}" makes a message plural.
    const bool oneForm = rule.forms() == 1;
    const bool counted = oneForm || random() % 4 != 0;
    std::vector<std::string> inserts;
    for (int a = 1; a <= others; ++a) inserts.push_back(Insert(a, a == 1 ? "%s" : "%.2f"));
    const std::string countInsert = Insert(others + 1, random() % 2 != 0 ? "%d" : "%lu");
    for (int f = 0; f < rule.forms(); ++f) {
      std::vector<std::string> shown = inserts;
      const bool leaveOut = counted && (facts.single_count >> f & 1u) != 0 && random() % 2 != 0;
      if (counted && !leaveOut) shown.push_back(countInsert);
      std::shuffle(shown.begin(), shown.end(), random);
      std::string text = "form " + std::to_string(f);
      for (const std::string& insert : shown) text += " " + insert;
      message.forms.push_back(text);
      message.stored.push_back(leaveOut ? text + countInsert : text);
    }
    source += std::to_string(message.number) + " W PLURAL_" + std::to_string(message.number);
    if (counted && (oneForm || random() % 2 != 0)) source += " {@" + std::to_string(others + 1) + "}";
    for (std::size_t f = 0; f < message.forms.size(); ++f) source += (f == 0 ? " \"" : "\n  | \"") + message.forms[f] + "\"";
    source += "\n";
    messages.push_back(message);
  }
  return source;
}

TEST(PluralCatalogue, FormsLieWhereTheTableSaysAndADumpRecompilesToTheSameBytes) {
  std::mt19937 random(23);
  for (const fmt::PluralTableRow& row : fmt::PluralTable()) {
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(std::string(row.plural_forms) + " round " + std::to_string(round));
      TempDir dir;
      std::vector<Message> messages;
      dir.Write("a.msg", MakeSource(row, random, messages));
      RunResult r = RunProgram(QOGENMSG_PATH, {"gensym", "s.h", "a.msg"}, InDir(dir.path()));
      ASSERT_EQ(r.status, 0) << r.err << dir.Read("a.msg");
      r = RunProgram(QOGENMSG_PATH, {"genobj", "s.h", "o.bin", "a.msg"}, InDir(dir.path()));
      ASSERT_EQ(r.status, 0) << r.err << dir.Read("a.msg");

      std::string image = dir.Read("o.bin");
      fmt::ObjectCheck check;
      ASSERT_TRUE(fmt::LayOutObjectFile({reinterpret_cast<unsigned char*>(image.data()), image.size()}, check))
          << check.detail;
      const auto* control = reinterpret_cast<const unsigned char*>(image.data());
      ASSERT_EQ(control[fmt::kPluralLayoutAt], fmt::kPluralLayout);
      const long table = fmt::GetLe32(control + fmt::kPluralTableAt);
      const long highest = fmt::GetLe32(control + fmt::kPluralHighestAt);
      EXPECT_EQ(highest, messages.back().number);
      EXPECT_EQ(fmt::GetLe32(control + fmt::kMaxMsgNumAt), table);
      fmt::MessageView view;
      ASSERT_TRUE(fmt::FindMessage(image, table, view));
      fmt::PluralTableReader reader;
      fmt::PluralLayoutError error;
      ASSERT_TRUE(reader.Start(view.compiled, highest, table, error)) << error.detail;
      fmt::PluralEntry entry;
      for (const Message& m : messages) {
        ASSERT_EQ(reader.Next(entry, error), fmt::PluralTableReader::Step::kEntry) << error.detail;
        EXPECT_EQ(entry.number, m.number);
        for (int f = 0; f < reader.rule().forms(); ++f) {
          ASSERT_TRUE(fmt::FindMessage(image, fmt::FormNumber(entry, f), view));
          EXPECT_EQ(SourceOf(view.compiled), m.stored[f]) << "form " << f;
          EXPECT_EQ(view.severity, 5);
        }
      }
      EXPECT_EQ(reader.Next(entry, error), fmt::PluralTableReader::Step::kEnd) << error.detail;

      r = RunProgram(QOMSGDUMP_PATH, {"-s", "s.h", "o.bin"}, InDir(dir.path()));
      ASSERT_EQ(r.status, 0) << r.err;
      dir.Write("dump.msg", r.out);
      r = RunProgram(QOGENMSG_PATH, {"genobj", "s.h", "again.bin", "dump.msg"}, InDir(dir.path()));
      ASSERT_EQ(r.status, 0) << r.err << dir.Read("dump.msg");
      const std::string first = dir.Read("o.bin"), again = dir.Read("again.bin");
      ASSERT_EQ(first.size(), again.size());
      EXPECT_EQ(first.substr(0, 32) + first.substr(64), again.substr(0, 32) + again.substr(64)) << dir.Read("dump.msg");
    }
  }
}

}  // namespace
