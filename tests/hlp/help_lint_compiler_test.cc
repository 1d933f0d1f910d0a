// The lint against the real compilers on random sources made of the bytes
// that matter to the syntax: what the lint predicts must be what the
// compilers then do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "help_file_check.h"
#include "lint_run.h"
#include "run_program.h"
#include "temp_dir.h"

using namespace qokit::format;

namespace {

// The text of the first thing the help file check finds, or "".
std::string FirstHelpFileFinding(std::string_view bytes, HelpLayout layout) {
  struct First final : HelpFindings {
    std::string text;
    bool Found(const HelpFinding& finding) override {
      text = finding.text;
      return false;
    }
  } first;
  CheckHelpFile(bytes, layout, first);
  return first.text;
}

std::string RandomSource(std::mt19937& random, const std::vector<std::string>& tokens, int lines) {
  std::uniform_int_distribution<std::size_t> token(0, tokens.size() - 1);
  std::uniform_int_distribution<int> length(0, 14);
  std::string source;
  for (int i = 0; i < lines; ++i) {
    for (int k = length(random); k > 0; --k) source.append(tokens[token(random)]);
    source.append("\n");
  }
  return source;
}

// ASCII only, so every error the lint finds is one the compiler counts too,
// except a heading made by splitting a line, which the compiler reads as a
// valid heading without complaint.
TEST(HelpLintAgainstCompiler, TaggedErrorsAreTheCompilersErrors) {
  std::mt19937 random(14);
  const std::vector<std::string> tokens = {"$H", "$S", "$-", "%",     "%",  "1", "40000",
                                           "-2", " ",  "x",  "word ", "\r", "$"};
  std::uniform_int_distribution<int> line_length(3, 24);
  TempDir dir;
  int with_errors = 0;
  for (int round = 0; round < 150; ++round) {
    std::string source = RandomSource(random, tokens, 1 + round % 6);
    if (round % 3 == 0) source.insert(0, "$H1%2%Name$-Heading\n");
    const int length = line_length(random);
    dir.Write("in.hlp", source);
    const RunResult run = RunProgram(VEXPROC_PATH, {"in.hlp", "out.hlp", std::to_string(length)}, InDir(dir.path()));
    const std::size_t at = run.out.rfind("\nFinished... ");
    ASSERT_NE(at, std::string::npos) << run.out;
    const int compiler_errors = std::atoi(run.out.c_str() + at + 13);
    const Linted linted = RunLint(source, false, length);
    const int split_headings = Occurrences(linted.text, "is read as a heading");
    EXPECT_EQ(linted.counts.errors - split_headings, compiler_errors) << "line length " << length << ", source:\n"
                                                                      << source << "lint:\n"
                                                                      << linted.text << "compiler:\n"
                                                                      << run.out;
    if (compiler_errors > 0) ++with_errors;
  }
  // Both kinds of source were tried.
  EXPECT_GT(with_errors, 20);
  EXPECT_LT(with_errors, 130);
}

// The legacy compiler reports nothing; a source it turns into tables that
// break the format's rules must never pass the lint without an error.
TEST(HelpLintAgainstCompiler, LegacyTablesTheReaderFaultsAreLintErrors) {
  std::mt19937 random(3);
  const std::vector<std::string> tokens = {"$H", "$S", "$T", "$E",     "$W",     "%",      "12",    "Name",
                                           " ",  "\n", "$",  "$H1%2%", "$S3%4%", "$T5%6%", "$E7%8%"};
  TempDir dir;
  int faulty = 0;
  for (int round = 0; round < 150; ++round) {
    std::string source = RandomSource(random, tokens, 1 + round % 5);
    if (round % 2 == 0) source.insert(0, "$H1%2%Intro$H\n");
    dir.Write("in.hlp", source);
    const RunResult run = RunProgram(VEXPROC_LEGACY_PATH, {"in.hlp", "out.hlp"}, InDir(dir.path()));
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string problem = FirstHelpFileFinding(dir.Read("out.hlp"), qokit::format::HelpLayout::kLegacy);
    if (problem.empty()) continue;
    ++faulty;
    const Linted linted = RunLint(source, true, qokit::format::kDefaultLineSize);
    EXPECT_GT(linted.counts.errors, 0) << "source:\n" << source << "reader: " << problem;
  }
  EXPECT_GT(faulty, 20);
}

}  // namespace
