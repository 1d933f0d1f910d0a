// The symbol file's one reader against the rule it replaces in the compiler:
// lines of at most 255 bytes read through fgets and split with the response
// file's word splitter (the string layer's white space). On any bytes, in
// each locale at hand, both find the same "#define" lines, words and line
// numbers. And the value of a word as strtol reads it.
#include "symbol_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qokit/nls/nlsstr.h"
#include "response_file.h"
#include "symfile.h"

namespace {

using qokit::format::DefineReader;

std::vector<std::string> BySplitter(const std::string& bytes) {
  std::vector<std::string> found;
  std::string copy = bytes;  // fmemopen needs room of its own
  FILE* f = fmemopen(copy.data(), copy.size(), "r");
  if (copy.empty() || f == nullptr) return found;
  char line[256], name[256], word[256];
  long number = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    ++number;
    const std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
    const char* cursor = line;
    qokit::msgcomp::NextWord(cursor, word, sizeof word);
    if (std::strcmp(word, "#define") != 0) continue;
    qokit::msgcomp::NextWord(cursor, name, sizeof name);
    qokit::msgcomp::NextWord(cursor, word, sizeof word);
    found.push_back(std::to_string(number) + " <" + name + "> <" + word + ">");
  }
  std::fclose(f);
  return found;
}

std::vector<std::string> ByReader(const std::string& bytes) {
  std::vector<std::string> found;
  const qokit::format::SpaceTable spaces = qokit::msgcomp::SymbolFileSpaces();
  DefineReader reader(bytes, spaces);
  for (qokit::format::Define d; reader.Next(d);) {
    found.push_back(std::to_string(d.line) + " <" + std::string(d.name) + "> <" + std::string(d.value) + ">");
    // The value's place is in the line, and the value stands there.
    EXPECT_LE(d.valueAt, d.lineEnd);
    EXPECT_EQ(bytes.compare(d.valueAt, d.value.size(), d.value), 0);
  }
  return found;
}

// Pieces of symbol files: their words, every kind of white space of the
// locales below, NUL bytes and runs that take a line past 255 bytes.
std::string RandomSymbolFile(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {
      "#define", "#define", "#define", "_MSGSYM_CHECKSUM", "_MSGSYM_TIMESTAMP", "MSG_A", "42", "-7", "\"Thu",
      " ", " ", "\t", "\v", "\f", "\r", "\n", "\n", std::string(1, '\0'), "\xa0", "\x85", "#", "define",
      std::string(120, ' '), std::string(200, 'x'), "/* comment */"};
  std::string file;
  for (std::size_t n = rng() % 60; n > 0; --n) file += kPieces[rng() % kPieces.size()];
  return file;
}

TEST(SymbolFileReader, FindsWhatTheWordSplitterFinds) {
  nlsInit();
  std::mt19937 rng(7);
  for (const char* locale : {"C", "C.UTF-8", "de_DE.ISO-8859-1"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) continue;
    nlsInit();
    for (int i = 0; i < 3000; ++i) {
      const std::string file = RandomSymbolFile(rng);
      ASSERT_EQ(ByReader(file), BySplitter(file)) << locale << ": " << testing::PrintToString(file);
    }
  }
  std::setlocale(LC_ALL, "C");
  nlsInit();
}

TEST(SymbolFileReader, ReadsValuesAsStrtolDoes) {
  std::mt19937 rng(11);
  const std::string alphabet = "0123456789+-x ";
  for (int i = 0; i < 20000; ++i) {
    std::string word;
    for (std::size_t n = rng() % 24; n > 0; --n) word += alphabet[rng() % alphabet.size()];
    if (i % 3 == 0) word = std::to_string(static_cast<long long>(rng()) * (rng() % 2 ? 1 : -1) * (rng() % 5 + 1));
    // Words hold no white space.
    word = word.substr(0, word.find(' '));
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    const bool fits = errno != ERANGE && value >= INT32_MIN && value <= INT32_MAX;
    const qokit::format::DefineNumber read = qokit::format::ReadDefineNumber(word);
    EXPECT_EQ(read.value, fits ? value : 0) << word;
    EXPECT_EQ(read.whole, end != word.c_str() && *end == '\0') << word;
  }
}

}  // namespace
