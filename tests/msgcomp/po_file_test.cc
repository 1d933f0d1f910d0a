// The PO syntax: what the reader takes from hand-written files and where it
// refuses them, entries written and read back unchanged, and the facts
// comment that carries a message's number, severity and response.
#include "po_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "po_entry.h"

using qokit::msgcomp::SourceEntry;

namespace {

TEST(PoFile, ReadsEntriesWithCommentsFlagsAndLines) {
  const std::string text =
      "# header comment\n"
      "msgid \"\"\n"
      "msgstr \"Content-Type: text/plain; charset=iso-8859-1\\n\"\n"
      "\"Language: de\\n\"\n"
      "\n"
      "# translator\n"
      "#. qomsg: number 7, severity K\n"
      "#: a.msg:3 b.msg:4\n"
      "#, fuzzy, c-format\n"
      "#| msgid \"old\"\n"
      "msgctxt \"SYM\"\n"
      "msgid \"\"\n"
      "\"a\\tb\\\"c\\\\\"\n"
      "\" d\\n\\101\\x42\"\n"
      "msgstr \"x\"\n"
      "#~ msgid \"gone\"\n"
      "#~ msgstr \"weg\"\n"
      "\n"
      "msgid \"one\"\n"
      "msgid_plural \"many\"\n"
      "msgstr[0] \"eins\"\n"
      "msgstr[1] \"viele\"\n";
  std::vector<qokit::po::PoEntry> entries;
  qokit::po::PoSyntaxError error;
  ASSERT_TRUE(qokit::po::ReadPo(text, entries, error)) << error.line << ": " << error.what;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_TRUE(entries[0].IsHeader());
  EXPECT_EQ(qokit::po::DeclaredCharset(text), "ISO-8859-1");
  EXPECT_EQ(qokit::po::HeaderField(entries[0], "Language"), "de");
  const qokit::po::PoEntry& e = entries[1];
  EXPECT_EQ(e.line, 11);
  EXPECT_EQ(e.msgstr_line, 15);
  EXPECT_EQ(e.comments, std::vector<std::string>{"translator"});
  EXPECT_EQ(e.extracted, std::vector<std::string>{"qomsg: number 7, severity K"});
  EXPECT_EQ(e.references, std::vector<std::string>{"a.msg:3 b.msg:4"});
  EXPECT_TRUE(e.HasFlag("fuzzy"));
  EXPECT_TRUE(e.HasFlag("c-format"));
  EXPECT_TRUE(e.has_context);
  EXPECT_EQ(e.context, "SYM");
  EXPECT_EQ(e.msgid, "a\tb\"c\\ d\nAB");
  EXPECT_EQ(e.msgstr, std::vector<std::string>{"x"});
  EXPECT_TRUE(entries[2].has_plural);
  EXPECT_EQ(entries[2].msgid_plural, "many");
  EXPECT_EQ(entries[2].msgstr, (std::vector<std::string>{"eins", "viele"}));
  EXPECT_EQ(entries[2].line, 19);
}

TEST(PoFile, RefusesMalformedFilesAtTheirLine) {
  const std::pair<const char*, long> rows[] = {
      {"msgid \"a\"\nmsgstr \"b\n", 2},
      {"msgid \"a\"\nmsgstr \"b\\q\"\n", 2},
      {"msgid \"a\"\n\"x\" y\nmsgstr \"\"\n", 2},
      {"msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", 2},
      {"msgstr \"b\"\n", 1},
      {"msgid \"a\"\nmsgstr[0] \"b\"\n", 2},
      {"msgid \"a\"\nmsgid_plural \"b\"\nmsgstr[1] \"c\"\n", 3},
      {"\"lost\"\n", 1},
      {"msgid \"a\"\n# inside\nmsgstr \"\"\n", 2},
      {"msgid \"a\"\n\n", 1},
      {"msgid \"a\"\nmsgstr \"\\x\"\n", 2},
      {"msgid \"a\"\nmsgstr \"\\777\"\n", 2},
      {"msgid \"a\"\nmsgstr \"\\x123\"\n", 2},
      {"msgid \"a\"\nmsgstr \"\\x123456789abcdef0\"\n", 2},
      {"msgidx \"a\"\n", 1},
  };
  for (const auto& [text, line] : rows) {
    std::vector<qokit::po::PoEntry> entries;
    qokit::po::PoSyntaxError error;
    EXPECT_FALSE(qokit::po::ReadPo(text, entries, error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_FALSE(error.what.empty());
  }
}

// Random bytes, long texts, line feeds, UTF-8 and plural forms survive
// writing and reading; lines of ASCII entries stay within 79 columns, and no string
// literal cuts a UTF-8 character.
TEST(PoFile, WrittenEntriesReadBackUnchanged) {
  std::mt19937 rng(79);
  const std::string alphabet = std::string("abc \"\\\n\t%$@") + std::string("\x01\x7f", 2) + "\xc3\xa4\xe2\x82\xac";
  const auto random_text = [&](std::size_t most) {
    std::string s;
    for (std::size_t n = rng() % most; n > 0; --n) {
      const std::size_t k = rng() % 15;
      // The last two picks are the two UTF-8 characters, kept whole.
      if (k == 13) {
        s.append("\xc3\xa4");
      } else if (k == 14) {
        s.append("\xe2\x82\xac");
      } else {
        s.push_back(alphabet[k]);
      }
    }
    return s;
  };
  for (int i = 0; i < 500; ++i) {
    qokit::po::PoEntry entry;
    entry.extracted = {"qomsg: number 1, severity E"};
    entry.references = {"x.msg:1"};
    entry.flags = {"c-format"};
    entry.has_context = i % 3 != 0;
    entry.context = entry.has_context ? random_text(20) : std::string();
    entry.msgid = random_text(300);
    if (entry.msgid.empty() && !entry.has_context) entry.msgid = "x";
    // Every fifth a plural entry of one to six forms.
    entry.has_plural = i % 5 == 0;
    entry.msgid_plural = entry.has_plural ? random_text(100) : std::string();
    entry.msgstr = {random_text(300)};
    for (std::size_t forms = entry.has_plural ? rng() % 6 : 0; forms > 0; --forms) entry.msgstr.push_back(random_text(80));
    std::string text;
    qokit::po::WritePoEntry(text, entry);
    std::vector<qokit::po::PoEntry> read;
    qokit::po::PoSyntaxError error;
    ASSERT_TRUE(qokit::po::ReadPo(text, read, error)) << text << "\n" << error.line << ": " << error.what;
    ASSERT_EQ(read.size(), 1u) << text;
    EXPECT_EQ(read[0].context, entry.context);
    EXPECT_EQ(read[0].msgid, entry.msgid);
    EXPECT_EQ(read[0].msgstr, entry.msgstr);
    EXPECT_EQ(read[0].has_plural, entry.has_plural);
    EXPECT_EQ(read[0].msgid_plural, entry.msgid_plural);
    EXPECT_EQ(read[0].flags, entry.flags);
    EXPECT_EQ(read[0].extracted, entry.extracted);
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      start = end + 1;
      if (line[0] != '"') continue;
      EXPECT_TRUE(qokit::po::IsUtf8(line)) << line;
      if (line.find('\xc3') == std::string::npos && line.find('\xe2') == std::string::npos) {
        EXPECT_LE(line.size(), 79u) << line;
      }
    }
  }
}

TEST(PoFile, FactsCommentCarriesNumberSeverityAndResponse) {
  const SourceEntry rows[] = {
      {7, 3, "SESS_PASSWORD", "Change @1%s?", "Yes", 0, 18},
      {12, 8, "LOG", "@1%s", "", 0, 1},
      {49999, 0, "Z_LAST", "", "a\"\\\n ]b", 0, 2},
      {0, 4, "DATEFORMAT", "3", "", 0, 3},
      {9, 4, "COPIED", "@1%d of @2%d file", "y", 0, 4, {"@1%d of @2%d file", "@1%d of @2%d files"}, 2},
  };
  qokit::po::PluralRuleOf english;
  std::string why;
  ASSERT_TRUE(qokit::po::RuleOfText(qokit::msgcomp::kDefaultPluralForms, english, why)) << why;
  for (const SourceEntry& source : rows) {
    SCOPED_TRACE(source.symbol);
    qokit::po::PoEntry entry;
    qokit::po::FormatError error;
    ASSERT_TRUE(qokit::po::EntryFor(source, "a.msg", false, english, entry, error));
    EXPECT_EQ(entry.context, source.symbol);
    EXPECT_EQ(entry.HasFlag("c-format"), source.number != 0);
    EXPECT_EQ(entry.HasFlag("no-c-format"), source.number == 0);
    std::string text;
    qokit::po::WritePoEntry(text, entry);
    std::vector<qokit::po::PoEntry> read;
    qokit::po::PoSyntaxError syntax;
    ASSERT_TRUE(qokit::po::ReadPo(text, read, syntax));
    qokit::po::EntryFacts facts;
    ASSERT_TRUE(qokit::po::ReadFacts(read[0], facts));
    EXPECT_EQ(facts.number, source.number);
    EXPECT_EQ(facts.severity, source.severity);
    EXPECT_EQ(facts.response, source.response);
    EXPECT_EQ(facts.count, source.count_argument);
  }
  const char* const broken[] = {"qomsg: number x, severity E", "qomsg: number 5, severity Q",
                                "qomsg: number 50000, severity E", "qomsg: number 5, severity E, response Yes",
                                "qomsg: number 5", "qomsg: number 5, severity E, count 0"};
  for (const char* line : broken) {
    qokit::po::PoEntry entry;
    entry.extracted = {line};
    qokit::po::EntryFacts facts;
    EXPECT_FALSE(qokit::po::ReadFacts(entry, facts)) << line;
  }
}

}  // namespace
