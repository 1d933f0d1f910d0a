// The properties of a compiled message text that the fuzz targets check:
// the reader's inserts and the arguments printf takes from the compiled
// form are the same list, and the reader prints exactly what glibc's
// snprintf prints for the positional form of the text.
#pragma once

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "formatter.h"
#include "fuzz_check.h"
#include "printf_oracle.h"
#include "qomsg.h"

namespace fuzzprops {

// The reader's inserts in argument order.
inline std::vector<const qomsg::Insert*> ByArgument(const qomsg::CompiledText& text) {
  std::vector<const qomsg::Insert*> by(text.inserts.size(), nullptr);
  for (const qomsg::Insert& insert : text.inserts) {
    CHECK(insert.argument >= 1 && static_cast<size_t>(insert.argument) <= by.size());
    CHECK(by[insert.argument - 1] == nullptr);
    by[insert.argument - 1] = &insert;
  }
  return by;
}

// Argument types in argument order, each insert's stars (int) first.
inline std::vector<int> FlatTypes(const qomsg::CompiledText& text) {
  std::vector<int> types;
  for (const qomsg::Insert* insert : ByArgument(text)) {
    types.insert(types.end(), static_cast<size_t>(insert->stars), QOMSG_ARG_INT);
    types.push_back(insert->type);
  }
  return types;
}

// What printf takes from the compiled bytes, in the same order: the whole
// format of an in-order text; for a reordered one each stored conversion
// (in argument order) and nothing from the literal pieces.
inline std::vector<int> PrintfTypesOfCompiled(std::string_view bytes, const qomsg::CompiledText& text) {
  if (bytes[0] == 1) return oracle::PrintfArgumentTypes(std::string(bytes.substr(1, bytes.size() - 2)));
  for (const std::string_view piece : text.pieces) CHECK(oracle::PrintfArgumentTypes(std::string(piece)).empty());
  std::vector<int> types;
  for (const qomsg::Insert* insert : ByArgument(text)) {
    const std::vector<int> one = oracle::PrintfArgumentTypes(std::string(insert->conversion));
    types.insert(types.end(), one.begin(), one.end());
  }
  return types;
}

// Arguments for the inserts, with values picked by `seed`: extremes, signs,
// NaN and infinities, null and wide strings.
inline std::vector<qomsg_arg> ArgumentsFor(const qomsg::CompiledText& text, uint64_t seed) {
  static const wchar_t kWide[] = L"wide";
  static const int kInts[] = {0, 1, -1, 42, 65, INT_MAX, INT_MIN, 1234567};
  static const long kLongs[] = {0, -1, 7, LONG_MAX, LONG_MIN, 1234567890123L};
  static const double kDoubles[] = {0.0, -0.0, 1.5, 1e300, -2.5e-300, NAN, -INFINITY, 1234567.891, DBL_MIN};
  static const int kStars[] = {0, 3, -4, 12, -1};
  std::vector<qomsg_arg> args;
  const auto pick = [&seed](size_t n) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<size_t>(seed >> 33) % n;
  };
  for (const qomsg::Insert* insert : ByArgument(text)) {
    for (int s = 0; s < insert->stars; ++s) {
      int star = kStars[pick(5)];
      if (s == 0 && oracle::NegativeWidthMisprinted(insert->conversion)) star = star < 0 ? -star : star;
      args.push_back({QOMSG_ARG_INT, {.i = star}});
    }
    qomsg_arg value{insert->type, {}};
    const char letter = insert->conversion.back();
    const bool wide = insert->conversion.size() >= 3 && insert->conversion[insert->conversion.size() - 2] == 'l';
    switch (insert->type) {
      case QOMSG_ARG_INT: value.v.i = kInts[pick(8)]; break;
      case QOMSG_ARG_LONG: value.v.l = kLongs[pick(6)]; break;
      case QOMSG_ARG_DOUBLE: value.v.d = kDoubles[pick(9)]; break;
      default:
        if (letter == 'p') {
          value.v.p = pick(2) == 0 ? nullptr : &args;
        } else {
          value.v.p = pick(4) == 0 ? nullptr : wide ? static_cast<const void*>(kWide) : "text";
        }
        break;
    }
    args.push_back(value);
  }
  return args;
}

// Formats through the reader and through glibc, and checks that both agree
// and that an extra argument changes nothing.
inline void CheckFormatting(const qomsg::CompiledText& text, const std::string& positional, uint64_t seed) {
  // Huge widths would only spend the fuzzer's time on padding.
  if (oracle::LargestFieldNumber(positional) > 100000) return;
  std::vector<qomsg_arg> args = ArgumentsFor(text, seed);
  std::string expected;
  const int want = oracle::Snprintf(positional, args, expected);
  std::vector<char> buf(want > 0 ? static_cast<size_t>(want) + 1 : 1);
  const int got = qomsg::FormatText(text, buf.data(), buf.size(), args.data(), args.size());
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
  CHECK(qomsg::FormatText(text, buf.data(), buf.size(), args.data(), args.size()) == got);
  CHECK(std::string(buf.data(), static_cast<size_t>(got)) == expected);
}

// The compiled text as a positional printf format, from its decoded parts.
inline std::string PositionalOfDecoded(const qomsg::CompiledText& text) {
  std::vector<oracle::PlacedInsert> inserts;
  for (const qomsg::Insert& insert : text.inserts) inserts.push_back({insert.argument, insert.conversion});
  return oracle::PositionalFormat(text.pieces, inserts);
}

}  // namespace fuzzprops
