// Real plural translations (tar, wget, coreutils in Russian, Polish,
// Japanese and German; GLib and GTK in Arabic) through the whole path: an
// English base made of each entry's msgid and msgid_plural, qomsgpo import
// of the translator's file, qogenmsg, the reader's qomsg_format_plural for
// n = 0..200 - against glibc's ngettext and printf of the same file
// compiled by msgfmt. Every message either prints what glibc prints for
// every count, or is counted as refused (import's warning) or lost (the base
// cannot carry its original); the counts are printed.
#include <gtest/gtest.h>
#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <deque>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plural_layout.h"
#include "plural_rule.h"
#include "po_file.h"
#include "po_format.h"
#include "po_plural.h"
#include "printf_oracle.h"
#include "qokit/qomsg.h"
#include "run_program.h"
#include "source_entries.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned long kCounts = 201;

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

// One plural entry of the file as a message of the base.
struct Message {
  long number = 0;
  const qokit::po::PoEntry* entry = nullptr;
  std::vector<int> types;  // printf's argument types of the original, stars first
};

// The arguments for count n: every integer argument is n (so whichever of
// them is the count, both sides print the same), strings and doubles fixed.
std::vector<qomsg_arg> ArgumentsFor(const Message& m, unsigned long n) {
  std::vector<qomsg_arg> args;
  for (const int type : m.types) {
    qomsg_arg a{};
    a.type = type;
    switch (type) {
      case QOMSG_ARG_INT: a.v.i = static_cast<int>(n); break;
      case QOMSG_ARG_LONG: a.v.l = static_cast<long>(n); break;
      case QOMSG_ARG_DOUBLE: a.v.d = 2.5; break;
      default: a.v.p = "str"; break;
    }
    args.push_back(a);
  }
  return args;
}

// The base entry of an English msgid/msgid_plural: forms 0 and 1, the count
// named where several integer arguments could be it (the last of them).
// False with the reason when the message format cannot carry the original.
bool BaseEntry(const qokit::po::PoEntry& e, long number, qokit::msgcomp::SourceEntry& out, std::string& reason) {
  qokit::po::Signature signature;
  qokit::po::FormatError error;
  out = qokit::msgcomp::SourceEntry{};
  out.number = static_cast<int32_t>(number);
  out.severity = 4;
  out.symbol = "P" + std::to_string(number);
  out.forms.resize(2);
  if (!qokit::po::SignatureOfPo(e.msgid_plural, signature, error) ||
      !qokit::po::PoToSource(e.msgid_plural, signature, out.forms[1], error)) {
    reason = "msgid_plural is no format the message texts carry";
    return false;
  }
  int count = qokit::po::CountArgument(signature);
  if (count < 0) {
    for (std::size_t a = 0; a < signature.size(); ++a) {
      if (qokit::msgcomp::IsCountConversion(signature[a].conversion)) count = static_cast<int>(a) + 1;
    }
    out.count_argument = count;
  }
  if (!qokit::po::PoToSource(e.msgid, signature, out.forms[0], error, count)) {
    reason = "msgid does not take msgid_plural's arguments";
    return false;
  }
  return true;
}

// The symbols import refused (its warnings name them), each warning printed.
std::set<std::string> RefusedSymbols(const std::string& diagnostics) {
  std::set<std::string> refused;
  std::istringstream lines(diagnostics);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(": warning: P");
    if (at == std::string::npos) continue;
    const std::size_t start = at + 11;
    refused.insert(line.substr(start, line.find(':', start) - start));
    std::printf("  refused: %s\n", line.substr(line.rfind('/') + 1).c_str());
  }
  return refused;
}

TEST(PluralRealData, EveryCountPrintsWhatNgettextAndPrintfPrint) {
  const fs::path data = fs::path(QOKIT_SOURCE_DIR) / "tests/kit/data/plural-po";
  TempDir dir;
  int all_messages = 0, all_forms = 0, all_identical = 0, all_refused = 0, all_lost = 0, formattings = 0;
  for (const std::string language : {"ru", "pl", "ar", "ja", "de"}) {
    SCOPED_TRACE(language);
    const fs::path po = data / (language + ".po");
    const std::string text = ReadFileBytes(po);
    std::vector<qokit::po::PoEntry> entries;
    qokit::po::PoSyntaxError syntax;
    ASSERT_TRUE(qokit::po::ReadPo(text, entries, syntax)) << syntax.what;

    // The English base, one plural message per entry it can carry.
    std::string base;
    std::vector<Message> messages;
    std::map<std::string, int> lost;
    std::deque<qokit::po::PoEntry> sysdep;  // the entries with their conversions resolved
    int forms = 0;
    for (const qokit::po::PoEntry& e : entries) {
      if (!e.has_plural) continue;
      forms += static_cast<int>(e.msgstr.size());
      std::string reason;
      qokit::msgcomp::SourceEntry source;
      // "%<PRIuMAX>" is resolved when glibc loads the catalogue, so the base
      // and the lookup take the resolved texts ("%lu").
      qokit::po::PoEntry& resolved = sysdep.emplace_back(e);
      resolved.msgid = qokit::po::ResolveSystemConversions(e.msgid);
      resolved.msgid_plural = qokit::po::ResolveSystemConversions(e.msgid_plural);
      Message m{static_cast<long>(messages.size()) + 1, &resolved, oracle::PrintfArgumentTypes(resolved.msgid_plural)};
      if (std::count(m.types.begin(), m.types.end(), oracle::kNoArgType) > 0) {
        ++lost["a conversion printf takes no argument type of ours for"];
        continue;
      }
      if (!BaseEntry(resolved, m.number, source, reason)) {
        ++lost[reason];
        continue;
      }
      ASSERT_TRUE(qokit::msgcomp::AppendSourceEntry(base, source));
      messages.push_back(m);
    }
    dir.Write(language + "-base.msg", base);

    // Import, compile, open.
    const RunOptions in_dir{"", dir.path(), 60, {"LC_ALL=C"}};
    RunResult r = RunProgram(QOMSGPO_PATH, {"import", "--keep-going", "-o", language + ".msg", po.string(),
                                            language + "-base.msg"}, in_dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::set<std::string> refused = RefusedSymbols(r.err);
    r = RunProgram(QOGENMSG_PATH, {"regensym", language + ".h", language + "-base.msg"}, in_dir);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunProgram(QOGENMSG_PATH, {"genobj", language + ".h", language + ".obj", language + ".msg"}, in_dir);
    ASSERT_EQ(r.status, 0) << r.err;
    CatalogPtr cat;
    char detail[256];
    ASSERT_EQ(qomsg_open_file((dir / (language + ".obj")).c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;

    // glibc on the same file.
    const std::string domain = "qokit-plural-real-" + language;
    fs::create_directories(dir / language / "LC_MESSAGES");
    r = RunProgram("/usr/bin/env", {"msgfmt", "-o", (dir / language / "LC_MESSAGES" / (domain + ".mo")).string(),
                                    po.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    ASSERT_EQ(setenv("LANGUAGE", language.c_str(), 1), 0);
    ASSERT_NE(bindtextdomain(domain.c_str(), dir.path().c_str()), nullptr);
    ASSERT_NE(bind_textdomain_codeset(domain.c_str(), "UTF-8"), nullptr);
    qokit::po::PluralRuleOf rule;
    std::string why;
    ASSERT_TRUE(qokit::po::RuleOfHeader(entries[0], rule, why)) << why;

    int identical = 0;
    for (const Message& m : messages) {
      const std::string symbol = "P" + std::to_string(m.number);
      SCOPED_TRACE(symbol + ": " + m.entry->msgid_plural);
      int same = 0;
      for (unsigned long n = 0; n < kCounts; ++n) {
        const std::vector<qomsg_arg> args = ArgumentsFor(m, n);
        std::string expected;
        const std::string format = dngettext(domain.c_str(), m.entry->msgid.c_str(), m.entry->msgid_plural.c_str(), n);
        ASSERT_GE(oracle::Snprintf(format, args, expected), 0) << format;
        char buf[2048];
        const int length = qomsg_format_plural_args(cat.p, m.number, n, buf, sizeof buf, args.data(), args.size());
        ++formattings;
        if (length >= 0 && std::string(buf, static_cast<std::size_t>(length)) == expected) ++same;
        // Only a refused translation may print otherwise (the base's text stands in).
        if (refused.count(symbol) == 0) {
          EXPECT_EQ(std::string(buf, static_cast<std::size_t>(std::max(length, 0))), expected) << "n = " << n;
        }
      }
      if (same == static_cast<int>(kCounts)) ++identical;
      // A reader that knows nothing of plurals gets the standing form: what
      // glibc gives for the smallest count that takes it.
      if (refused.count(symbol) == 0) {
        const unsigned long n = rule.facts.first_count[static_cast<std::size_t>(rule.facts.standing)];
        const std::vector<qomsg_arg> args = ArgumentsFor(m, n);
        std::string expected, got;
        const std::string format = dngettext(domain.c_str(), m.entry->msgid.c_str(), m.entry->msgid_plural.c_str(), n);
        ASSERT_GE(oracle::Snprintf(format, args, expected), 0);
        char buf[2048];
        const int length = qomsg_format_args(cat.p, m.number, buf, sizeof buf, args.data(), args.size());
        EXPECT_EQ(std::string(buf, static_cast<std::size_t>(std::max(length, 0))), expected) << "standing form";
      }
    }
    int lost_count = 0;
    std::string report;
    for (const auto& [reason, count] : lost) {
      lost_count += count;
      report += "; lost " + std::to_string(count) + ": " + reason;
    }
    std::printf("%s: %zu plural messages, %d forms; %d identical for n = 0..%lu, %zu refused, %d lost%s\n",
                language.c_str(), messages.size() + static_cast<std::size_t>(lost_count), forms, identical, kCounts - 1,
                refused.size(), lost_count, report.c_str());
    EXPECT_EQ(identical + static_cast<int>(refused.size()), static_cast<int>(messages.size()));
    EXPECT_GE(identical, 1);
    all_messages += static_cast<int>(messages.size()) + lost_count;
    all_forms += forms;
    all_identical += identical;
    all_refused += static_cast<int>(refused.size());
    all_lost += lost_count;
  }
  std::printf("all: %d plural messages, %d forms, %d identical, %d refused, %d lost; %d formattings compared\n",
              all_messages, all_forms, all_identical, all_refused, all_lost, formattings);
  EXPECT_GE(all_identical, 60);
}

}  // namespace
