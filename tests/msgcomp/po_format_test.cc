// Message texts to printf formats (plain in argument order, else positional) and back: hand-written rows
// for both directions and their faults, then random texts against the
// compiler, an independent positional writer and glibc's printf.
#include "po_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "compiled_text.h"
#include "compiler_state.h"
#include "formatter.h"
#include "inserts.h"
#include "printf_oracle.h"

using namespace qokit::msgcomp;

namespace {

using qokit::po::FormatFault;

struct ExportRow {
  const char* text;
  const char* format;  // expected, when fault is kNone
  FormatFault fault;
  int conversion;
};

TEST(PoFormat, SourceTextsBecomePlainOrPositionalFormats) {
  const ExportRow rows[] = {
      {"Ready.", "Ready.", FormatFault::kNone, 0},
      {"@1%s and @2%d", "%s and %d", FormatFault::kNone, 0},
      {"@2%d: @1%s", "%2$d: %1$s", FormatFault::kNone, 0},
      // Stars take the slots before their value.
      {"@1%*d @2%s", "%*d %s", FormatFault::kNone, 0},
      {"@2%s @1%*d", "%3$s %2$*1$d", FormatFault::kNone, 0},
      {"@1%-*.*f|@2%s", "%-*.*f|%s", FormatFault::kNone, 0},
      {"@2%-*.*f|@1%s", "%4$-*2$.*3$f|%1$s", FormatFault::kNone, 0},
      {"@2%.*s @1%5.2e", "%3$.*2$s %1$5.2e", FormatFault::kNone, 0},
      {"100%% @1%'d", "100%% %'d", FormatFault::kNone, 0},
      {"@3%ld @1%c @2%#x", "%3$ld %1$c %2$#x", FormatFault::kNone, 0},
      {"", "", FormatFault::kNone, 0},
      {"@1%s @3%s", nullptr, FormatFault::kNotASequence, 2},
      {"@1%s @1%s", nullptr, FormatFault::kNotASequence, 2},
      {"50% @1%s", nullptr, FormatFault::kLonePercent, 1},
      {"@1%s is 5%", nullptr, FormatFault::kLonePercent, 2},
      {"@1s", nullptr, FormatFault::kBadInsert, 1},
      {"x @1%lf", nullptr, FormatFault::kBadInsert, 1},
      {"@0%d", nullptr, FormatFault::kBadInsert, 1},
      {"@1%d @2%zu", nullptr, FormatFault::kBadInsert, 2},
      {"@1%*.*.*d", nullptr, FormatFault::kBadInsert, 1},
      {"mail me@home", nullptr, FormatFault::kBadInsert, 1},
  };
  for (const ExportRow& row : rows) {
    SCOPED_TRACE(row.text);
    std::string format;
    qokit::po::Signature signature;
    qokit::po::FormatError error;
    const bool ok = qokit::po::SourceToPo(row.text, format, signature, error);
    EXPECT_EQ(ok, row.fault == FormatFault::kNone);
    EXPECT_EQ(error.fault, row.fault);
    EXPECT_EQ(error.conversion, row.conversion);
    if (ok) {
      EXPECT_EQ(format, row.format);
    }
  }
}

struct ImportRow {
  const char* original;    // source text
  const char* translated;  // PO format
  const char* text;        // expected source text, when fault is kNone
  FormatFault fault;
  int conversion;
  int argument;
};

TEST(PoFormat, TranslatedFormatsBecomeSourceTexts) {
  const ImportRow rows[] = {
      {"@1%*d @2%s", "%3$s %2$*1$d", "@2%s @1%*d", FormatFault::kNone, 0, 0},
      {"@1%*d @2%s", "%*d %s", "@1%*d @2%s", FormatFault::kNone, 0, 0},
      {"@1%s @2%d", "%2$d %1$s", "@2%d @1%s", FormatFault::kNone, 0, 0},
      {"@1%d files", "%1$5.3x Dateien", "@1%5.3x Dateien", FormatFault::kNone, 0, 0},
      {"@1%*.*f|@2%s", "%4$s|%3$-*1$.*2$f", "@2%s|@1%-*.*f", FormatFault::kNone, 0, 0},
      {"100%%", "100 %%", "100 %%", FormatFault::kNone, 0, 0},
      {"Ready.", "Fertig.", "Fertig.", FormatFault::kNone, 0, 0},
      {"@1%s @2%d", "%1$d %2$s", nullptr, FormatFault::kTypeDiffers, 1, 1},
      {"@1%ld", "%1$d", nullptr, FormatFault::kTypeDiffers, 1, 1},
      {"@1%s", "%1$ls", nullptr, FormatFault::kTypeDiffers, 1, 1},
      {"@1%s", "%1$p", nullptr, FormatFault::kTypeDiffers, 1, 1},
      {"@1%d", "%1$Lf", nullptr, FormatFault::kUnsound, 1, 1},
      {"@1%d", "%1$zu", nullptr, FormatFault::kUnsound, 1, 1},
      {"@1%s", "%1$s %2$s", nullptr, FormatFault::kBeyondArguments, 2, 2},
      {"@1%*d", "%1$d", nullptr, FormatFault::kBeyondArguments, 1, 1},
      {"@1%*d", "%2$d", nullptr, FormatFault::kStarsDiffer, 1, 1},
      {"@1%*d @2%d", "%2$*3$d %3$d", nullptr, FormatFault::kStarsDiffer, 1, 1},
      {"@1%s @2%d", "%1$s", nullptr, FormatFault::kArgumentMissing, 0, 2},
      {"@1%s", "%1$s %1$s", nullptr, FormatFault::kArgumentTwice, 2, 1},
      {"@1%s @2%d", "%s %2$d", nullptr, FormatFault::kMixedNumbering, 2, 0},
      {"@1%s", "50% %1$s", nullptr, FormatFault::kLonePercent, 1, 0},
      {"@1%s", "%1$s 50%", nullptr, FormatFault::kLonePercent, 2, 0},
      {"@1%s", "50% von %1$s", nullptr, FormatFault::kLonePercent, 1, 0},  // "% v" is no conversion
      {"@1%s", "%0$s", nullptr, FormatFault::kLonePercent, 1, 0},
      {"@1%s", "%1$s at user@host", nullptr, FormatFault::kLiteralAt, 0, 0},
      {"Ready.", "Fertig: %d", nullptr, FormatFault::kBeyondArguments, 1, 1},
  };
  for (const ImportRow& row : rows) {
    SCOPED_TRACE(std::string(row.original).append(" <- ").append(row.translated));
    std::string format, text;
    qokit::po::Signature signature;
    qokit::po::FormatError error;
    ASSERT_TRUE(qokit::po::SourceToPo(row.original, format, signature, error));
    const bool ok = qokit::po::PoToSource(row.translated, signature, text, error);
    EXPECT_EQ(ok, row.fault == FormatFault::kNone);
    EXPECT_EQ(error.fault, row.fault);
    EXPECT_EQ(error.conversion, row.conversion);
    EXPECT_EQ(error.argument, row.argument);
    if (ok) {
      EXPECT_EQ(text, row.text);
    }
  }
}

TEST(PoFormat, MsgidsNotWrittenByExportHaveNoSignature) {
  const std::pair<const char*, FormatFault> rows[] = {
      {"%2$s", FormatFault::kNotASequence},        // slot 1 unused
      {"%1$*2$d", FormatFault::kNotASequence},     // star after its value
      {"%1$s %1$d", FormatFault::kNotASequence},   // a slot shown twice
      {"%1$lf", FormatFault::kUnsound},
      {"%s %1$s", FormatFault::kMixedNumbering},
  };
  for (const auto& [msgid, fault] : rows) {
    qokit::po::Signature signature;
    qokit::po::FormatError error;
    EXPECT_FALSE(qokit::po::SignatureOfPo(msgid, signature, error)) << msgid;
    EXPECT_EQ(error.fault, fault) << msgid;
  }
}

// A text with inserts in any order, sound conversions and a few the
// compiler refuses, and literal text with and without percent signs.
std::string RandomText(std::mt19937& rng) {
  static const char* const kConversions[] = {"%s", "%d", "%*d", "%-*.*f", "%.*s", "%5.2e", "%ld", "%'u", "%#x",
                                             "%c", "%hhd", "%lld", "%p", "%ls", "%+08.3g", "%lf", "%zu", "%Lf"};
  static const char* const kLiterals[] = {"", " ", "Datei ", ": ", "100%% ", "x\n", "50% ", "\"q\" "};
  const int inserts = static_cast<int>(rng() % 5);
  std::vector<int> order(static_cast<std::size_t>(inserts));
  for (int i = 0; i < inserts; ++i) order[static_cast<std::size_t>(i)] = i + 1;
  if (rng() % 2 == 0) std::shuffle(order.begin(), order.end(), rng);
  if (inserts > 1 && rng() % 20 == 0) order.back() = order.front();  // a duplicate
  std::string text = kLiterals[rng() % 6];
  for (const int argument : order) {
    text.append(1, '@').append(std::to_string(argument)).append(kConversions[rng() % std::size(kConversions)]);
    text.append(kLiterals[rng() % std::size(kLiterals)]);
  }
  return text;
}

// The compiled form of a text, decoded; false when the compiler refuses it.
bool Compile(const std::string& text, std::string& bytes, qokit::reader::CompiledText& decoded) {
  CompilerStateTest state;
  testing::internal::CaptureStderr();
  const int checked = qokit::msgcomp::CheckInserts(text.c_str());
  std::vector<unsigned char> buffer(qokit::msgcomp::CompiledSizeBound(text.size()));
  const size_t length = checked == 0 ? qokit::msgcomp::CompileMessageText(text.c_str(), buffer.data(), buffer.size()) : 0;
  testing::internal::GetCapturedStderr();
  if (length == 0) return false;
  bytes.assign(reinterpret_cast<const char*>(buffer.data()), length);
  std::string why;
  return qokit::reader::DecodeCompiledText(bytes, decoded, why);
}

// The format with its conversions in another order, the literal text kept.
std::string Reordered(const std::string& format, std::mt19937& rng) {
  std::vector<qokit::po::PoConversion> conversions;
  qokit::po::FormatError error;
  if (!qokit::po::ParsePoFormat(format, conversions, error)) return format;
  std::vector<std::string> tokens;
  for (const qokit::po::PoConversion& c : conversions) tokens.push_back(format.substr(c.begin, c.end - c.begin));
  std::shuffle(tokens.begin(), tokens.end(), rng);
  std::string out;
  std::size_t copied = 0;
  for (std::size_t k = 0; k < conversions.size(); ++k) {
    out.append(format, copied, conversions[k].begin - copied).append(tokens[k]);
    copied = conversions[k].end;
  }
  return out.append(format, copied, std::string::npos);
}

// The export's form by the test's own means: the text without its "@n" when
// the inserts are in argument order, else the independent positional writer's.
std::string ExpectedForm(const std::string& text) {
  std::string plain;
  long next = 1;
  bool in_order = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::size_t j = i + 1;
    while (text[i] == '@' && j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (text[i] != '@' || j == i + 1 || j == text.size() || text[j] != '%') {
      plain.push_back(text[i]);
      continue;
    }
    in_order = in_order && std::stol(text.substr(i + 1, j - i - 1)) == next++;
    i = j - 1;
  }
  return in_order ? plain : oracle::PositionalForm(text);
}

// Exports exactly the texts the compiler accepts, writes what the test's own
// writers write, reads its output back to the same text, and a
// translation that reorders the conversions imports to a text that the
// reader prints as glibc prints that translation.
TEST(PoFormat, RandomTextsRoundTripAndReorderAsPrintfReadsThem) {
  std::mt19937 rng(1408);
  int exported = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomText(rng);
    SCOPED_TRACE(text);
    std::string bytes;
    qokit::reader::CompiledText decoded;
    const bool compiles = Compile(text, bytes, decoded);
    std::string format;
    qokit::po::Signature signature;
    qokit::po::FormatError error;
    ASSERT_EQ(qokit::po::SourceToPo(text, format, signature, error), compiles);
    if (!compiles) continue;
    ++exported;
    EXPECT_EQ(format, ExpectedForm(text));

    qokit::po::Signature read_back;
    ASSERT_TRUE(qokit::po::SignatureOfPo(format, read_back, error));
    ASSERT_EQ(read_back.size(), signature.size());
    for (std::size_t a = 0; a < signature.size(); ++a) {
      EXPECT_EQ(read_back[a].stars, signature[a].stars);
      EXPECT_EQ(read_back[a].type, signature[a].type);
    }
    std::string back;
    ASSERT_TRUE(qokit::po::PoToSource(format, signature, back, error));
    EXPECT_EQ(back, text);

    // A translator may reorder any text with numbered conversions.
    const std::string translated = Reordered(oracle::PositionalForm(text), rng);
    std::string imported;
    ASSERT_TRUE(qokit::po::PoToSource(translated, signature, imported, error)) << translated;
    std::string imported_bytes;
    qokit::reader::CompiledText imported_form;
    ASSERT_TRUE(Compile(imported, imported_bytes, imported_form)) << imported;
    const std::vector<qomsg_arg> args = oracle::ArgumentsFor(decoded, rng());
    std::string expected;
    const int want = oracle::Snprintf(translated, args, expected);
    std::vector<char> out(want > 0 ? static_cast<std::size_t>(want) + 1 : 1);
    const int got = qokit::reader::FormatText(imported_form, out.data(), out.size(), args.data(), args.size());
    ASSERT_EQ(got, want) << translated;
    EXPECT_EQ(std::string(out.data(), static_cast<std::size_t>(std::max(got, 0))), expected) << translated;
  }
  EXPECT_GT(exported, 600);
}

}  // namespace
