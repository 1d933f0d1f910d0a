// The PO tool's fast paths against the general ones they stand in for: an
// entry written in place against the PoEntry layout, the escape sweeps
// against a byte at a time, and an import streamed into its output file
// against the one held whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "po_command.h"
#include "po_entry.h"
#include "po_file.h"
#include "po_import.h"
#include "qokit/nls/nlsstr.h"
#include "temp_dir.h"

using qokit::msgcomp::SourceEntry;

namespace {

// Pieces of texts, symbols and responses: plain words, every kind of byte
// that is escaped, UTF-8, long words that force a wrap, and inserts.
const std::vector<std::string> kPieces = {
    "word ", "files", " ", "\"", "\\", "\n", "\t", "\x7f", "\x01", "%%", "\xc3\xa9", "\xe6\x97\xa5\xe6\x9c\xac",
    "averyveryverylongwordthatgoesonandonwithoutablank", "@1%s", "@2%5.2f", "@1%-8s", "x", "."};

std::string RandomText(std::mt19937& random, int most_pieces) {
  std::string text;
  const int pieces = static_cast<int>(random() % static_cast<unsigned>(most_pieces + 1));
  for (int i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
  return text;
}

TEST(PoExport, EntryWrittenInPlaceIsThePoEntryLayout) {
  std::mt19937 random(26);
  const qokit::po::PluralRuleOf no_rule;
  int compared = 0;
  for (int k = 0; k < 4000; ++k) {
    SourceEntry source;
    source.number = k % 7 == 0 ? 0 : static_cast<int32_t>(random() % 50000);
    source.severity = static_cast<int32_t>(random() % 9);
    source.symbol.assign(1, 'S').append(random() % 60, 'Y');
    source.text = RandomText(random, 12);
    source.response = k % 3 == 0 ? RandomText(random, 2) : std::string();
    source.line = static_cast<long>(random() % 100000);
    const std::string file = k % 2 == 0 ? "client.msg" : std::string(random() % 90, 'f') + ".msg";
    const bool with_text = k % 4 != 0;
    qokit::po::PoEntry entry;
    qokit::po::FormatError error;
    if (!qokit::po::EntryFor(source, file, with_text, no_rule, entry, error)) continue;
    std::string expected, written;
    qokit::po::WritePoEntry(expected, entry);
    qokit::po::WriteTextEntry(written, source, file, with_text, entry.msgid, qokit::po::IsPlainAscii(source.text));
    ASSERT_EQ(written, expected) << "entry " << k;
    ++compared;
  }
  EXPECT_GT(compared, 2000);
}

TEST(PoExport, EscapeSweepsSeeEveryByte) {
  std::mt19937 random(7);
  const std::string special = std::string("\"\\\x1f\x7f\x80\xff \n", 8) + std::string(1, '\0');
  for (int k = 0; k < 20000; ++k) {
    std::string bytes(random() % 70, 'a');
    // Mostly none or one special byte, anywhere: the block edges matter.
    for (int n = static_cast<int>(random() % 3); n > 0 && !bytes.empty(); --n) {
      bytes[random() % bytes.size()] = special[random() % special.size()];
    }
    bool escaped = false, ascii = true;
    for (const char c : bytes) {
      const auto u = static_cast<unsigned char>(c);
      escaped = escaped || u < 0x20 || u == 0x7F || c == '"' || c == '\\';
      ascii = ascii && u < 0x7F;
    }
    ASSERT_EQ(qokit::po::NeedsNoPoEscape(bytes), !escaped) << k;
    ASSERT_EQ(qokit::po::IsPlainAscii(bytes), !escaped && ascii) << k;
  }
}

int RunTool(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  testing::internal::CaptureStderr();
  const int status = qokit::po::RunPoTool(static_cast<int>(argv.size()), argv.data(), "test");
  testing::internal::GetCapturedStderr();
  return status;
}

TEST(PoImport, StreamedOutputIsTheWholeOneAndAFailureKeepsTheOldFile) {
  nlsInit();
  TempDir dir;
  std::string base;
  for (int n = 1; n <= 3000; ++n) {
    base += std::to_string(n) + " E MSG_" + std::to_string(n) + " \"Text " + std::to_string(n) + " of @1%s\"\n";
  }
  const std::string source = dir.Write("base.msg", base).string();
  const std::string po = (dir / "de.po").string();
  ASSERT_EQ(RunTool({"qomsgpo", "export", "-o", po, source}), 0);

  // Many pieces of output: the file is the source held whole.
  std::string whole;
  testing::internal::CaptureStderr();
  ASSERT_EQ(qokit::po::ImportPo(po.c_str(), std::vector<const char*>{source.c_str()}, {}, whole), 0);
  testing::internal::GetCapturedStderr();
  ASSERT_GT(whole.size(), std::size_t{64} << 10);
  const std::string written = (dir / "de-base.msg").string();
  ASSERT_EQ(RunTool({"qomsgpo", "import", "-o", written, po, source}), 0);
  EXPECT_EQ(ReadFileBytes(written), whole);

  // The last entry's translation is refused after most of the source went out.
  std::string text = ReadFileBytes(po);
  const std::string last = "msgstr \"Text 3000 of %s\"";
  const std::size_t at = text.rfind(last);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, last.size(), "msgstr \"Text 3000 of %d\"");
  const std::string bad = dir.Write("bad.po", text).string();
  EXPECT_EQ(RunTool({"qomsgpo", "import", "-o", written, bad, source}), 1);
  EXPECT_EQ(ReadFileBytes(written), whole);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4) << "no temporary file left";
}

}  // namespace
