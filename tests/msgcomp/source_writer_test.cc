// The message-source writer against the compiler's own parser: any entry the
// source syntax can express, written in either layout, reads back as the
// same entry (random entries: every byte but NUL, quotes, backslashes,
// control bytes, UTF-8, line feeds, texts up to the longest).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compiler_state.h"
#include "source_entries.h"
#include "source_reader.h"
#include "source_text.h"
#include "temp_dir.h"

namespace {

using qokit::format::TextLayout;

std::string RandomBytes(std::mt19937& random, std::size_t most, std::string_view avoid) {
  static const std::string kFavourites = "\"\\\n\t\r\a\b\f\v @%$/*[] \xc3\xa9\xe2\x82\xac";
  std::string bytes(std::uniform_int_distribution<std::size_t>(0, most)(random), ' ');
  for (char& c : bytes) {
    do {
      c = random() % 3 == 0 ? kFavourites[random() % kFavourites.size()] : static_cast<char>(1 + random() % 255);
    } while (avoid.find(c) != std::string_view::npos);
  }
  return bytes;
}

std::string RandomSymbol(std::mt19937& random) {
  static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string symbol(1, kLetters[random() % kLetters.size()]);
  const std::size_t more = random() % kMaxSymbolLen;
  while (symbol.size() <= more) symbol += (kLetters + "0123456789_")[random() % (kLetters.size() + 11)];
  return symbol;
}

TEST(SourceWriter, EveryExpressibleEntryReadsBackTheSame) {
  std::mt19937 random(20261209);
  TempDir dir;
  nlsInit();
  for (const TextLayout layout : {TextLayout::kWrapped, TextLayout::kLineFeeds}) {
    std::vector<SourceEntry> written;
    std::string source;
    for (int n = 1; n <= 300; ++n) {
      SourceEntry e;
      e.number = random() % 10 == 0 ? 0 : n;
      e.severity = static_cast<int32_t>(random() % 9);
      e.symbol = RandomSymbol(random) + std::to_string(n);  // a meta-symbol's name must not repeat either
      e.symbol.resize(std::min<std::size_t>(e.symbol.size(), kMaxSymbolLen));
      e.response = RandomBytes(random, kMaxResponseLen, std::string_view("]\0", 2));
      e.text = RandomBytes(random, n % 7 == 0 ? kMaxTextLen : 120, std::string_view("\0", 1));
      ASSERT_EQ(FindSourceEntryFault(e), SourceEntryFault::kNone) << e.symbol;
      ASSERT_TRUE(qokit::format::AppendSourceEntry(
          source, {e.number, e.severity, e.symbol, e.response, e.text}, layout));
      written.push_back(e);
    }
    const std::string path = dir.Write("written.msg", source).string();
    const char* names[] = {path.c_str()};
    std::vector<SourceEntry> read;
    ASSERT_EQ(ReadSourceEntries(names, read), 0) << source.substr(0, 2000);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      SCOPED_TRACE(written[i].symbol);
      EXPECT_EQ(read[i].number, written[i].number);
      EXPECT_EQ(read[i].severity, written[i].severity);
      EXPECT_EQ(read[i].symbol, written[i].symbol);
      EXPECT_EQ(read[i].response, written[i].response);
      EXPECT_EQ(read[i].text, written[i].text);
    }
  }
}

}  // namespace
