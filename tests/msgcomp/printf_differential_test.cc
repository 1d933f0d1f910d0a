// The compiler and the reader against glibc's printf: every text that
// compiles is formatted by the reader exactly as snprintf formats the text
// in positional form, and printf takes from the compiled form the arguments
// that the reader's inserts describe.
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

struct Outcome {
  bool compiled = false;
  std::string why;  // what went wrong, for the failure message
};

// Compiles one text and checks the reader against glibc on it.
Outcome CheckText(const std::string& text, std::mt19937& rng) {
  Outcome outcome;
  CompilerStateTest state;
  testing::internal::CaptureStderr();
  const int checked = qokit::msgcomp::CheckInserts(text.c_str());
  std::vector<unsigned char> buffer(qokit::msgcomp::CompiledSizeBound(text.size()));
  const size_t length = checked == 0 ? qokit::msgcomp::CompileMessageText(text.c_str(), buffer.data(), buffer.size()) : 0;
  testing::internal::GetCapturedStderr();
  if (length == 0) return outcome;
  outcome.compiled = true;
  const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), length);
  qokit::reader::CompiledText decoded;
  if (!qokit::reader::DecodeCompiledText(bytes, decoded, outcome.why)) return outcome;

  const std::vector<int> reader_types = oracle::FlatTypes(decoded);
  if (bytes[0] == 1 && oracle::PrintfArgumentTypes(std::string(bytes.substr(1, length - 2))) != reader_types) {
    outcome.why = "printf takes other arguments from the compiled form";
    return outcome;
  }

  const std::vector<qomsg_arg> args = oracle::ArgumentsFor(decoded, rng());
  std::string expected;
  const int want = oracle::Snprintf(oracle::PositionalForm(text), args, expected);
  std::vector<char> out(want > 0 ? static_cast<size_t>(want) + 1 : 1);
  const int got = qokit::reader::FormatText(decoded, out.data(), out.size(), args.data(), args.size());
  if (got != want || got < 0 || std::string(out.data(), static_cast<size_t>(got)) != expected) {
    outcome.why = "reader printed \"" + std::string(out.data(), got > 0 ? static_cast<size_t>(got) : 0) +
                  "\", snprintf \"" + expected + "\"";
  }
  return outcome;
}

// A conversion from the parts printf knows and some it reads otherwise.
std::string RandomConversion(std::mt19937& rng) {
  static const char* const kLengths[] = {"", "", "", "h", "hh", "l", "ll", "L", "z", "j", "t", "q"};
  static const std::string kLetters = "cdiouxXeEfgGsspd";
  std::string c = "%";
  const std::string flags = "-+ #0'";
  for (int n = static_cast<int>(rng() % 4); n > 0; --n) c += flags[rng() % flags.size()];
  switch (rng() % 4) {
    case 0: c += std::to_string(rng() % 25); break;
    case 1: c += '*'; break;
    default: break;
  }
  if (rng() % 3 == 0) c.append(rng() % 3 == 0 ? std::string(".*") : std::string(".").append(std::to_string(rng() % 12)));
  c += kLengths[rng() % std::size(kLengths)];
  c += rng() % 30 == 0 ? 'F' : kLetters[rng() % kLetters.size()];
  return c;
}

std::string RandomText(std::mt19937& rng) {
  static const char* const kLiterals[] = {"", " ", "Datei ", ": ", "100%% ", " %%", "x", "\n", "#1 "};
  const int inserts = static_cast<int>(rng() % 5);
  std::vector<int> order(static_cast<size_t>(inserts));
  for (int i = 0; i < inserts; ++i) order[i] = i + 1;
  if (rng() % 2 == 0) std::shuffle(order.begin(), order.end(), rng);
  std::string text = kLiterals[rng() % std::size(kLiterals)];
  for (const int argument : order) {
    text.append("@").append(std::to_string(argument)).append(RandomConversion(rng));
    text += kLiterals[rng() % std::size(kLiterals)];
  }
  return text;
}

// One text per conversion class that compiles, then random ones.
TEST(PrintfDifferential, ReaderPrintsWhatSnprintfPrints) {
  const std::string fixed[] = {
      "Ready.", "100%% done", "@1%s has @2%d records", "@2%d: @1%s", "@1%'d bytes, @2%'.1f%%",
      "@3%-+ #08.3e|@1%#x|@2%#o", "@2%lld @1%hhu @3%hd", "@1%llx @2%li", "@2%ls @1%.*s", "@1%*.*d",
      "@3%-*s@2%c@1%5.3s", "@1%p", "@1%.0f @2%G @3%g", "@1%.d", "50%% @1%s",
  };
  std::mt19937 rng(20261208);
  for (const std::string& text : fixed) {
    const Outcome o = CheckText(text, rng);
    EXPECT_TRUE(o.compiled) << text;
    EXPECT_TRUE(o.why.empty()) << text << ": " << o.why;
  }
  int compiled = 0;
  constexpr int kTexts = 4000;
  for (int i = 0; i < kTexts; ++i) {
    const std::string text = RandomText(rng);
    const Outcome o = CheckText(text, rng);
    compiled += o.compiled;
    EXPECT_TRUE(o.why.empty()) << text << ": " << o.why;
  }
  // The generator must reach the formatting, not only the refusals.
  EXPECT_GT(compiled, kTexts / 5);
}

}  // namespace
