// PO files in every charset their language is written in: real UTF-8
// translations converted by iconv must read back as gettext's msgconv reads
// them (escapes included, also where a character's second byte is 0x5C),
// and a byte that is no character of the declared charset is an error at
// its line, as msgfmt refuses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "po_charset.h"
#include "po_file.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(QOKIT_SOURCE_DIR) / "tests/kit/data/charset-po";

RunResult Exec(const std::string& program, const std::vector<std::string>& args, const TempDir& dir) {
  RunOptions options = InDir(dir.path());
  options.environment = {"LC_ALL=C.UTF-8"};
  return RunProgram(program, args, options);
}

// The file's entries as qomsgpo import reads them; empty after a failure.
std::vector<qokit::po::PoEntry> Decoded(std::string text, std::string& failure) {
  qokit::po::Utf8Converter converter;
  qokit::po::PoDecoding decoding;
  long line = 0;
  std::string problem;
  std::vector<qokit::po::PoEntry> entries;
  if (!qokit::po::DecodePoFile(text, qokit::po::DeclaredCharset(text), converter, decoding, line, problem)) {
    failure = std::to_string(line) + ": " + problem;
    return entries;
  }
  qokit::po::PoSyntaxError error;
  if (!qokit::po::ReadPo(text, entries, error, decoding)) failure = std::to_string(error.line) + ": " + error.what;
  return entries;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(PoCharset, RealTranslationsInEveryCharsetReadAsGettextReadsThem) {
  const std::pair<const char*, std::vector<const char*>> files[] = {
      {"ja.po", {"SHIFT_JIS", "CP932", "EUC-JP"}},
      {"zh_TW.po", {"BIG5", "GBK", "GB18030"}},
      {"zh_CN.po", {"GBK", "GB18030"}},
      {"ru.po", {"KOI8-R"}},
      {"de.po", {"ISO-8859-1"}},
  };
  int compared = 0;
  for (const auto& [file, charsets] : files) {
    for (const char* charset : charsets) {
      SCOPED_TRACE(std::string(file) + " in " + charset);
      TempDir dir;
      RunResult r = Exec("/usr/bin/env", {"iconv", "-f", "UTF-8", "-t", charset, "-o", "converted.po",
                                         (kData / file).string()}, dir);
      ASSERT_EQ(r.status, 0) << r.err;
      const std::string converted =
          Replaced(dir.Read("converted.po"), "charset=UTF-8", std::string("charset=") + charset);
      dir.Write("converted.po", converted);
      r = Exec("/usr/bin/env", {"msgfmt", "-c", "-o", "/dev/null", "converted.po"}, dir);
      ASSERT_EQ(r.status, 0) << r.err;
      r = Exec("/usr/bin/env", {"msgconv", "-t", "UTF-8", "-o", "gettext.po", "converted.po"}, dir);
      ASSERT_EQ(r.status, 0) << r.err;
      std::string failure;
      const std::vector<qokit::po::PoEntry> ours = Decoded(converted, failure);
      ASSERT_TRUE(failure.empty()) << failure;
      const std::vector<qokit::po::PoEntry> theirs = Decoded(dir.Read("gettext.po"), failure);
      ASSERT_TRUE(failure.empty()) << failure;
      ASSERT_EQ(ours.size(), theirs.size());
      for (std::size_t i = 1; i < ours.size(); ++i) {
        EXPECT_EQ(ours[i].msgid, theirs[i].msgid);
        EXPECT_EQ(ours[i].msgid_plural, theirs[i].msgid_plural);
        EXPECT_EQ(ours[i].msgstr, theirs[i].msgstr) << ours[i].msgid;
        EXPECT_EQ(ours[i].line, theirs[i].line);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 300);
}

// A byte that no character of the charset starts, raw or escaped: refused at
// its line by msgfmt and by the import, which writes nothing.
TEST(PoCharset, StrayByteIsAnErrorAtItsLine) {
  struct Row {
    const char* file;
    const char* charset;
    std::string inserted;  // put into the first msgstr
  };
  const Row rows[] = {
      {"de.po", "UTF-8", "\xff"}, {"de.po", "UTF-8", "\xc3("}, {"de.po", "UTF-8", "\\xff"},
      {"de.po", "UTF-8", "\\303"}, {"ja.po", "EUC-JP", "\x8e"}, {"ja.po", "SHIFT_JIS", "\xa0"},
      {"ja.po", "SHIFT_JIS", "\x81"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " in " + row.charset + ": " + row.inserted);
    TempDir dir;
    RunResult r = Exec("/usr/bin/env", {"iconv", "-f", "UTF-8", "-t", row.charset, "-o", "stray.po",
                                        (kData / row.file).string()}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = Replaced(dir.Read("stray.po"), "charset=UTF-8", std::string("charset=") + row.charset);
    const std::size_t at = text.find("msgstr", text.find("\n\n") + 2);
    const long line = 1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    text.insert(text.find('"', at) + 1, row.inserted);
    dir.Write("stray.po", text);
    r = Exec("/usr/bin/env", {"msgfmt", "-c", "-o", "/dev/null", "stray.po"}, dir);
    if (row.inserted[0] != '\\') {
      EXPECT_NE(r.status, 0) << "msgfmt accepts it";
    }
    r = Exec(QOMSGPO_PATH, {"import", "-o", "out.msg", "stray.po"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("stray.po:" + std::to_string(line) + ": error: "), std::string::npos) << r.err;
    EXPECT_FALSE(dir.Exists("out.msg"));
  }
}

}  // namespace
