// The symbol file's text against printf: the writer lays every "#define"
// line out as "#define %-*s %8d" would, for names of every length the table
// holds and values of every width and sign (a checksum may be negative or
// longer than eight digits), with an empty line at each gap in the numbers.
#include "symfile.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <random>
#include <string>

#include "compiler_state.h"
#include "msgsym.h"

namespace {

std::string Printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  return line;
}

TEST(SymbolFileText, LaysOutEveryLineAsPrintfWould) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    CompilerStateTest t;
    std::string expected_symbols;
    int32_t previous = 0;
    int32_t number = 0;
    for (int n = static_cast<int>(rng() % 40); n > 0; --n) {
      number += 1 + (rng() % 4 == 0 ? static_cast<int32_t>(rng() % 100000) : 0) + (rng() % 30 == 0 ? 150000000 : 0);
      // At most 50 characters, as the table holds them. (Appended piece by
      // piece: GCC 12 at -O3 takes "S" + std::string for an overlapping copy.)
      std::string name = "S";
      name += std::to_string(round);
      name += '_';
      name.append(rng() % 44, 'x');
      name += std::to_string(n);
      InsertSymbol(name.c_str(), number);
      if (previous != 0 && number != previous + 1) expected_symbols += "\n";
      expected_symbols += Printed("#define %-*s %8d\n", 50, name.c_str(), number);
      previous = number;
    }
    const int32_t checksums[] = {1, -7, 12345678, 123456789, -2147483647 - 1};
    t.state().checksum = checksums[rng() % std::size(checksums)];
    t.state().maxInserts = static_cast<int32_t>(rng() % 101);
    const char* stamp = "Thu Jan  1 00:00:00 1970";
    FILE* out = std::tmpfile();
    ASSERT_TRUE(qokit::msgcomp::WriteSymbolText(out, stamp));
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
    std::fclose(out);

    const std::string control = Printed("#define %-*s %8ld\n\n", 50, "_MSGSYM_CHECKSUM", static_cast<long>(t.state().checksum)) +
                                Printed("#define %-*s \"%s\"\n\n", 56 - 24, "_MSGSYM_TIMESTAMP", stamp) +
                                Printed("#define %-*s %8d\n\n", 50, "_MAX_INSERTS", t.state().maxInserts);
    const std::size_t guard = text.find("\n#ifndef _H_MSGSYM\n#define _H_MSGSYM\n\n");
    ASSERT_NE(guard, std::string::npos);
    EXPECT_EQ(text.substr(guard), "\n#ifndef _H_MSGSYM\n#define _H_MSGSYM\n\n" + control + expected_symbols + "\n#endif\n");
  }
}

}  // namespace
