// qomsgpo with the real compiler and GNU gettext: sources exported and
// imported untranslated compile to the same object file, gettext's tools
// accept the exported files and check a translator's conversions, edited
// translations come back, and a real Debian translation goes through a
// gettext compendium into a catalogue that prints what the translator wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "po_entry.h"
#include "po_file.h"
#include "po_source.h"
#include "printf_oracle.h"
#include "qokit/qomsg.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Describe(const RunResult& r) {
  return std::string("status ").append(std::to_string(r.status)).append("\n").append(r.out).append(r.err);
}

RunResult Exec(const std::string& program, const std::vector<std::string>& args, const TempDir& dir) {
  RunOptions options = InDir(dir.path());
  options.timeout_seconds = 300;
  options.environment = {"LC_ALL=C.UTF-8"};
  return RunProgram(program, args, options);
}

RunResult Po(const std::vector<std::string>& args, const TempDir& dir) { return Exec(QOMSGPO_PATH, args, dir); }

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// genobj of `sources` against `symfile`, with the compile time fixed; the
// object file's bytes.
std::string Compile(const TempDir& dir, const std::string& symfile, const std::vector<std::string>& sources,
                    const std::string& object) {
  const RunResult r = Exec(QOGENMSG_PATH, Joined({"genobj", symfile, object}, sources), dir);
  EXPECT_EQ(r.status, 0) << Describe(r);
  const RunResult stamp = Exec(QOSTAMP_PATH, {"0", object}, dir);
  EXPECT_EQ(stamp.status, 0) << Describe(stamp);
  return dir.Read(object);
}

// Exports the sources (as template and as PO file), imports each result
// with and without the base and checks that every import compiles to the
// original's bytes.
void ExpectByteIdenticalRoundTrip(const TempDir& dir, const std::vector<std::string>& sources) {
  RunResult r = Exec(QOGENMSG_PATH, Joined({"regensym", "base.h"}, sources), dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  const std::string original = Compile(dir, "base.h", sources, "base.obj");
  ASSERT_GT(original.size(), 64u);
  for (const bool pot : {true, false}) {
    SCOPED_TRACE(pot ? "template" : "PO file");
    std::vector<std::string> args = {"export", "-o", "x.po"};
    if (pot) args.emplace_back("--pot");
    r = Po(Joined(args, sources), dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    EXPECT_EQ(r.out + r.err, "");
    r = Exec("/usr/bin/env", {"msgfmt", "--check-format", "-o", "/dev/null", "x.po"}, dir);
    EXPECT_EQ(r.status, 0) << Describe(r);
    for (const bool with_base : {false, true}) {
      SCOPED_TRACE(with_base ? "with base" : "alone");
      r = Po(Joined({"import", "-o", "back.msg", "x.po"}, with_base ? sources : std::vector<std::string>{}), dir);
      ASSERT_EQ(r.status, 0) << Describe(r);
      EXPECT_NE(r.err.find(pot ? " 0 translated" : " 0 untranslated"), std::string::npos) << r.err;
      EXPECT_EQ(Compile(dir, "base.h", {"back.msg"}, "back.obj"), original);
    }
  }
}

TEST(PoRoundTrip, BundledExamplesRecompileToTheSameBytes) {
  const fs::path examples = fs::path(QOKIT_SOURCE_DIR) / "examples";
  const std::vector<std::vector<fs::path>> catalogues = {
      {examples / "messages/client.msg", examples / "messages/admin.msg"}, {examples / "kit/demo.msg"}};
  for (const auto& files : catalogues) {
    SCOPED_TRACE(files[0].string());
    TempDir dir;
    std::vector<std::string> names;
    for (const fs::path& file : files) {
      names.push_back(file.filename().string());
      dir.Write(names.back(), ReadFileBytes(file));
    }
    ExpectByteIdenticalRoundTrip(dir, names);
  }
}

// Every message number from 1 to 49999 with every severity, responses with
// escapes, inserts in and out of order with stars, escapes and percent
// signs in the text, texts long enough to be split, and the meta-symbols.
std::string GeneratedCatalogue() {
  static const char* const kConversions[] = {"%s", "%d", "%*d", "%-*.*f", "%.*s", "%5.2e", "%ld", "%'u", "%#x",
                                             "%c", "%lu", "%08.3g", "%p", "%hd"};
  static const char* const kLiterals[] = {" ", "Datei ", ": ", "100%% ", "line\\nbreak ", "\\\"q\\\" ", "tab\\t",
                                          "back\\\\slash ", "x", "\xc3\xa4 "};
  static const char* const kResponses[] = {"", "", "", "Yes", "yn", "\\n\\t", "a b c", "\\\"]"};
  std::mt19937 rng(49999);
  std::string out = "0 I DATEFORMAT \"4\"\n0 I TIMEFORMAT \"2\"\n0 I NUMBERFORMAT \"6\"\n0 I TITLE \"Generated\"\n";
  for (int number = 1; number <= 49999; ++number) {
    out.append(std::to_string(number)).append(1, ' ').append(1, "ZTRKIWESL"[number % 9]).append(" M");
    out.append(std::to_string(number));
    const char* response = kResponses[rng() % std::size(kResponses)];
    // A "]" has no escape in a response; the generator's only one ends it.
    if (std::string_view(response).find(']') == std::string_view::npos && response[0] != '\0') {
      out.append(" [").append(response).append(1, ']');
    }
    const int inserts = static_cast<int>(rng() % 5);
    std::vector<int> order(static_cast<std::size_t>(inserts));
    for (int i = 0; i < inserts; ++i) order[static_cast<std::size_t>(i)] = i + 1;
    if (rng() % 2 == 0) std::shuffle(order.begin(), order.end(), rng);
    out.append(" \"");
    if (number % 97 == 0) out.append(300, 'w');
    for (const int argument : order) {
      out.append(kLiterals[rng() % std::size(kLiterals)]).append(1, '@').append(std::to_string(argument));
      out.append(kConversions[rng() % std::size(kConversions)]);
    }
    out.append(kLiterals[rng() % std::size(kLiterals)]).append("\"\n");
  }
  return out;
}

TEST(PoRoundTrip, GeneratedCatalogueOf49999MessagesRecompilesToTheSameBytes) {
  TempDir dir;
  dir.Write("big.msg", GeneratedCatalogue());
  ExpectByteIdenticalRoundTrip(dir, {"big.msg"});
}

constexpr char kBase[] =
    "0 I DATEFORMAT \"2\"\n"
    "1 I FILES \"@1%d files in @2%s\"\n"
    "2 W WIDTH \"Value @1%*d of @2%s\"\n"
    "3 K ASK [yn] \"Replace @1%s? (y/n) \"\n"
    "4 E GONE \"A text that will change: @1%s\"\n"
    "5 I DONE \"Done: 100%%\"\n"
    "6 I PLAIN \"Left untranslated.\"\n";

// Fills in translations of a PO file, with the production reader and writer;
// gettext's own tools check the result afterwards.
std::string Translated(const std::string& po, const std::vector<std::pair<std::string, std::string>>& translations) {
  std::vector<qokit::po::PoEntry> entries;
  qokit::po::PoSyntaxError error;
  EXPECT_TRUE(qokit::po::ReadPo(po, entries, error)) << error.line << ": " << error.what;
  std::string out;
  for (qokit::po::PoEntry& entry : entries) {
    for (const auto& [symbol, text] : translations) {
      if (entry.context == symbol) entry.msgstr[0] = text;
    }
    qokit::po::WritePoEntry(out, entry);
    out.append(1, '\n');
  }
  return out;
}

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

std::string Format(const qomsg_catalog* cat, long number, const std::vector<qomsg_arg>& args) {
  char buf[512];
  const int n = qomsg_format_args(cat, number, buf, sizeof buf, args.data(), args.size());
  return n < 0 ? std::string("error ").append(qomsg_strerror(n)) : std::string(buf, static_cast<std::size_t>(n));
}

qomsg_arg Int(int v) {
  qomsg_arg a{};
  a.type = QOMSG_ARG_INT;
  a.v.i = v;
  return a;
}
qomsg_arg Str(const char* s) {
  qomsg_arg a{};
  a.type = QOMSG_ARG_POINTER;
  a.v.p = s;
  return a;
}

TEST(PoRoundTrip, TranslationEditedWithGettextImportsWithFuzzyEntriesInBaseText) {
  TempDir dir;
  dir.Write("app.msg", kBase);
  RunResult r = Po({"export", "--pot", "-o", "app.pot", "app.msg"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  r = Exec("/usr/bin/env", {"msgfmt", "--check-format", "-o", "/dev/null", "app.pot"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  r = Exec("/usr/bin/env", {"msginit", "--no-translator", "-l", "de", "-i", "app.pot", "-o", "de.po"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  dir.Write("de.po", Translated(dir.Read("de.po"), {{"FILES", "In %2$s: %1$d Dateien"},
                                                    {"WIDTH", "%3$s: Wert %2$*1$d"},
                                                    {"ASK", "%1$s ersetzen? (j/n) "},
                                                    {"GONE", "Ein Text, der sich \xc3\xa4ndert: %1$s"},
                                                    {"DONE", "Fertig: 100%%"}}));
  r = Exec("/usr/bin/env", {"msgfmt", "--check-format", "-o", "/dev/null", "de.po"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);

  // The base changes one text; msgmerge marks its translation fuzzy.
  std::string changed = kBase;
  changed.replace(changed.find("A text that will change"), 23, "A text that changed");
  dir.Write("app.msg", changed);
  r = Exec(QOGENMSG_PATH, {"regensym", "app.h", "app.msg"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  r = Po({"export", "--pot", "-o", "app.pot", "app.msg"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  r = Exec("/usr/bin/env", {"msgmerge", "-q", "-o", "merged.po", "de.po", "app.pot"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  std::vector<qokit::po::PoEntry> merged;
  qokit::po::PoSyntaxError syntax;
  ASSERT_TRUE(qokit::po::ReadPo(dir.Read("merged.po"), merged, syntax));
  for (const qokit::po::PoEntry& entry : merged) {
    if (entry.IsHeader()) continue;
    qokit::po::EntryFacts facts;
    EXPECT_TRUE(qokit::po::ReadFacts(entry, facts)) << entry.context << ": msgmerge dropped the facts comment";
    EXPECT_EQ(entry.HasFlag("fuzzy"), entry.context == "GONE") << entry.context;
  }

  r = Po({"import", "-o", "de.msg", "merged.po", "app.msg"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(r.err, "qomsgpo: merged.po: 4 translated, 2 untranslated, 1 fuzzy, 0 not expressible, 0 refused, 0 dropped; "
                   "base text used for 3\n");
  const std::string with_base = Compile(dir, "app.h", {"de.msg"}, "de.obj");
  // Without the base the entries' own comments give the same catalogue.
  r = Po({"import", "-o", "alone.msg", "merged.po"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(Compile(dir, "app.h", {"alone.msg"}, "alone.obj"), with_base);

  CatalogPtr cat;
  char detail[256];
  ASSERT_EQ(qomsg_open_file((dir / "de.obj").c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;
  EXPECT_EQ(Format(cat.p, 1, {Int(3), Str("/tmp")}), "In /tmp: 3 Dateien");
  EXPECT_EQ(Format(cat.p, 2, {Int(5), Int(42), Str("x")}), "x: Wert    42");
  EXPECT_EQ(Format(cat.p, 3, {Str("a.txt")}), "a.txt ersetzen? (j/n) ");
  EXPECT_EQ(Format(cat.p, 4, {Str("a")}), "A text that changed: a");
  EXPECT_EQ(Format(cat.p, 5, {}), "Fertig: 100%");
  EXPECT_EQ(Format(cat.p, 6, {}), "Left untranslated.");
  qomsg_message message;
  ASSERT_EQ(qomsg_lookup(cat.p, 3, &message), QOMSG_OK);
  EXPECT_STREQ(message.response, "yn");
  qomsg_info info;
  ASSERT_EQ(qomsg_get_info(cat.p, &info), QOMSG_OK);
  EXPECT_EQ(info.date_fmt, 2);
}

// What the mapping is for: gettext refuses a translation whose conversion
// takes another type, and so does the import.
TEST(PoRoundTrip, ConversionOfAnotherTypeIsRefusedByMsgfmtAndImport) {
  TempDir dir;
  dir.Write("app.msg", kBase);
  RunResult r = Po({"export", "--pot", "-o", "app.pot", "app.msg"}, dir);
  ASSERT_EQ(r.status, 0) << Describe(r);
  const std::pair<const char*, const char*> wrong[] = {
      {"FILES", "%1$s Dateien in %2$d"}, {"WIDTH", "Wert %2$d von %3$s"}, {"ASK", "%1$d ersetzen?"}};
  for (const auto& [symbol, text] : wrong) {
    SCOPED_TRACE(text);
    dir.Write("de.po", Translated(dir.Read("app.pot"), {{symbol, text}}));
    std::vector<qokit::po::PoEntry> entries;
    qokit::po::PoSyntaxError syntax;
    ASSERT_TRUE(qokit::po::ReadPo(dir.Read("de.po"), entries, syntax));
    long line = 0;
    for (const qokit::po::PoEntry& entry : entries) {
      if (entry.context == symbol) line = entry.msgstr_line;
    }
    r = Exec("/usr/bin/env", {"msgfmt", "--check-format", "-o", "/dev/null", "de.po"}, dir);
    EXPECT_NE(r.status, 0) << Describe(r);
    EXPECT_NE(r.err.find(std::string("de.po:").append(std::to_string(line)).append(": ")), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("format"), std::string::npos) << r.err;
    r = Po({"import", "-o", "de.msg", "de.po", "app.msg"}, dir);
    EXPECT_EQ(r.status, 1);
    const std::string diagnostic =
        std::string("de.po:").append(std::to_string(line)).append(": error: ").append(symbol).append(
            ": the translation does not fit the original: conversion 1: argument 1 has another ");
    EXPECT_NE(r.err.find(diagnostic), std::string::npos) << r.err;
    EXPECT_FALSE(dir.Exists("de.msg"));
  }
}

// The base of a real project's translation: its English singular originals
// as messages MSG_1, MSG_2, ...
kittest::PoConversion BaseOfOriginals(const std::vector<kittest::PoEntry>& translated) {
  std::vector<kittest::PoEntry> originals;
  for (const kittest::PoEntry& e : translated) {
    if (e.msgid_plural.empty()) originals.push_back({e.msgid, "", {e.msgid}});
  }
  return kittest::ConvertPo(originals);
}

// A real translation, which has no symbols: the base is made from its
// msgids, exported as a template, the Debian translations are merged into
// it by msgmerge from a compendium keyed like the template, msgfmt checks
// the result, and the imported catalogue prints what glibc prints for the
// translator's own text.
TEST(PoRoundTrip, DebianTranslationMergedFromACompendiumPrintsAsTheTranslatorWrote) {
  const fs::path data = fs::path(QOKIT_SOURCE_DIR) / "tests/kit/data/sed-po";
  for (const char* language : {"de.po", "cs.po"}) {
    SCOPED_TRACE(language);
    const std::vector<kittest::PoEntry> debian = kittest::ParsePo(ReadFileBytes(data / language));
    ASSERT_GT(debian.size(), 50u);
    const kittest::PoConversion base = BaseOfOriginals(debian);
    TempDir dir;
    dir.Write("base.msg", base.source);
    RunResult r = Exec(QOGENMSG_PATH, {"regensym", "base.h", "base.msg"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    r = Po({"export", "--pot", "-o", "base.pot", "base.msg"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);

    // The compendium: each Debian translation under the template's msgctxt
    // and msgid of its original, the translation as the translator wrote it.
    std::vector<qokit::po::PoEntry> pot;
    qokit::po::PoSyntaxError syntax;
    ASSERT_TRUE(qokit::po::ReadPo(dir.Read("base.pot"), pot, syntax));
    std::map<std::string, const qokit::po::PoEntry*> by_symbol;
    for (const qokit::po::PoEntry& entry : pot) by_symbol[entry.context] = &entry;
    std::string compendium = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    std::map<long, std::string> translation_of;
    for (const kittest::ConvertedMessage& m : base.messages) {
      for (const kittest::PoEntry& e : debian) {
        if (e.msgid != m.translation || e.msgstr[0].empty()) continue;
        qokit::po::PoEntry entry;
        entry.flags = {"c-format"};
        entry.has_context = true;
        entry.context = std::string("MSG_").append(std::to_string(m.number));
        entry.msgid = by_symbol.at(entry.context)->msgid;
        entry.msgstr = {e.msgstr[0]};
        qokit::po::WritePoEntry(compendium, entry);
        compendium.append(1, '\n');
        translation_of[m.number] = e.msgstr[0];
        break;
      }
    }
    dir.Write("compendium.po", compendium);
    dir.Write("empty.po", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n");
    r = Exec("/usr/bin/env", {"msgmerge", "-q", "--compendium=compendium.po", "-o", "lang.po", "empty.po", "base.pot"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    r = Exec("/usr/bin/env", {"msgfmt", "--check-format", "-o", "/dev/null", "lang.po"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    r = Po({"import", "-o", "lang.msg", "lang.po", "base.msg"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    std::printf("%s", r.err.c_str());
    Compile(dir, "base.h", {"lang.msg"}, "lang.obj");

    CatalogPtr cat;
    char detail[256];
    ASSERT_EQ(qomsg_open_file((dir / "lang.obj").c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;
    int compared = 0, with_conversions = 0;
    for (const kittest::ConvertedMessage& m : base.messages) {
      const auto translated = translation_of.find(m.number);
      if (translated == translation_of.end() || translated->second.find('@') != std::string::npos) continue;
      std::string expected = translated->second;
      if (m.is_format) {
        ASSERT_GE(oracle::Snprintf(translated->second, m.args, expected), 0) << translated->second;
        ++with_conversions;
      }
      std::vector<char> buf(expected.size() + 64);
      const int n = qomsg_format_args(cat.p, m.number, buf.data(), buf.size(), m.args.data(), m.args.size());
      ASSERT_GE(n, 0) << translated->second;
      EXPECT_EQ(std::string(buf.data(), static_cast<std::size_t>(n)), expected);
      ++compared;
    }
    EXPECT_GT(compared, 50);
    EXPECT_GT(with_conversions, 20);
  }
}

// A gettext project's own PO files, unchanged: the base is written from
// their msgids, and the import finds each translation by its msgid, with
// no msgctxt, no template and no msgmerge in between. Every message the
// catalogue prints is what glibc prints for the translator's own text.
TEST(PoRoundTrip, GettextProjectsPoFilesImportUnchangedByMsgid) {
  const fs::path data = fs::path(QOKIT_SOURCE_DIR) / "tests/kit/data/sed-po";
  for (const char* language : {"de.po", "cs.po", "ru.po", "ko.po"}) {
    SCOPED_TRACE(language);
    const std::string po = ReadFileBytes(data / language);
    const std::vector<kittest::PoEntry> debian = kittest::ParsePo(po);
    const kittest::PoConversion base = BaseOfOriginals(debian);
    TempDir dir;
    dir.Write("base.msg", base.source);
    dir.Write(language, po);
    RunResult r = Exec(QOGENMSG_PATH, {"regensym", "base.h", "base.msg"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    r = Po({"import", "--keep-going", "-o", "lang.msg", language, "base.msg"}, dir);
    ASSERT_EQ(r.status, 0) << Describe(r);
    std::printf("%s: %zu messages in the base; %s", language, base.messages.size(),
                r.err.substr(r.err.rfind("qomsgpo: ")).c_str());
    // Nothing is refused, and only what the format cannot carry stays in English.
    EXPECT_NE(r.err.find(" 0 fuzzy, "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" 0 refused, "), std::string::npos) << r.err;
    Compile(dir, "base.h", {"lang.msg"}, "lang.obj");

    CatalogPtr cat;
    char detail[256];
    ASSERT_EQ(qomsg_open_file((dir / "lang.obj").c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;
    int compared = 0;
    for (const kittest::ConvertedMessage& m : base.messages) {
      std::string translation;
      for (const kittest::PoEntry& e : debian) {
        if (e.msgid == m.translation && e.msgid_plural.empty()) translation = e.msgstr[0];
      }
      if (translation.empty() || translation.find('@') != std::string::npos) continue;
      std::string expected = translation;
      if (m.is_format) {
        ASSERT_GE(oracle::Snprintf(translation, m.args, expected), 0) << translation;
      }
      std::vector<char> buf(expected.size() + 64);
      const int n = qomsg_format_args(cat.p, m.number, buf.data(), buf.size(), m.args.data(), m.args.size());
      ASSERT_GE(n, 0) << translation;
      EXPECT_EQ(std::string(buf.data(), static_cast<std::size_t>(n)), expected);
      ++compared;
    }
    EXPECT_GT(compared, 50);
  }
}

}  // namespace
