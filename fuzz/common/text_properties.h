// The properties of a compiled message text that the fuzz targets check:
// the reader's inserts and the arguments printf takes from the compiled
// form are the same list, and the reader prints exactly what glibc's
// snprintf prints for the positional form of the text.
#pragma once

#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "formatter.h"
#include "fuzz_check.h"
#include "printf_oracle.h"
#include "qokit/qomsg.h"

namespace fuzzprops {

// What printf takes from the compiled bytes, in the same order: the whole
// format of an in-order text; for a reordered one each stored conversion
// (in argument order) and nothing from the literal pieces.
inline std::vector<int> PrintfTypesOfCompiled(std::string_view bytes, const qokit::reader::CompiledText& text) {
  if (bytes[0] == 1) return oracle::PrintfArgumentTypes(std::string(bytes.substr(1, bytes.size() - 2)));
  for (const std::string_view piece : text.pieces) CHECK(oracle::PrintfArgumentTypes(std::string(piece)).empty());
  std::vector<int> types;
  for (const qokit::reader::Insert* insert : oracle::ByArgument(text)) {
    CHECK(insert != nullptr);  // the inserts cover arguments 1..N
    const std::vector<int> one = oracle::PrintfArgumentTypes(std::string(insert->conversion));
    types.insert(types.end(), one.begin(), one.end());
  }
  return types;
}

// Formats through the reader and through glibc, and checks that both agree
// and that an extra argument changes nothing.
inline void CheckFormatting(const qokit::reader::CompiledText& text, const std::string& positional, uint64_t seed) {
  // Huge widths would only spend the fuzzer's time on padding.
  if (oracle::LargestFieldNumber(positional) > 100000) return;
  std::vector<qomsg_arg> args = oracle::ArgumentsFor(text, seed);
  std::string expected;
  const int want = oracle::Snprintf(positional, args, expected);
  std::vector<char> buf(want > 0 ? static_cast<size_t>(want) + 1 : 1);
  const int got = qokit::reader::FormatText(text, buf.data(), buf.size(), args.data(), args.size());
  CHECK((got < 0) == (want < 0));
  if (got < 0) return;
  const std::string printed(buf.data(), static_cast<size_t>(got));
  if (printed != expected) {
    std::fprintf(stderr, "format \"%s\": reader \"%s\", snprintf \"%s\"\n", positional.c_str(), printed.c_str(),
                 expected.c_str());
  }
  CHECK(got == want);
  CHECK(printed == expected);
  args.push_back({QOMSG_ARG_DOUBLE, {.d = 9.5}});
  CHECK(qokit::reader::FormatText(text, buf.data(), buf.size(), args.data(), args.size()) == got);
  CHECK(std::string(buf.data(), static_cast<size_t>(got)) == expected);
}

// The compiled text as a positional printf format, from its decoded parts.
inline std::string PositionalOfDecoded(const qokit::reader::CompiledText& text) {
  std::vector<oracle::PlacedInsert> inserts;
  for (const qokit::reader::Insert& insert : text.inserts) inserts.push_back({insert.argument, insert.conversion});
  return oracle::PositionalFormat(text.pieces, inserts);
}

}  // namespace fuzzprops
