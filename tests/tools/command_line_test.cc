// The kit tools' one command-line parser, row by row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

using qokit::cli::ToolOption;

struct Row {
  std::vector<std::string> args;
  int status;                          // -1: the tool runs
  std::vector<std::string> operands;
  std::size_t before_dashes = 0;
  const char* value = nullptr;         // what -s / --symbols took
  bool flag = false;                   // -w / --legacy
};

TEST(CommandLine, OptionsValuesOperandsAndErrors) {
  const Row rows[] = {
      {{}, -1, {}, 0},
      {{"a", "b"}, -1, {"a", "b"}, 2},
      {{"-s", "x.h", "a"}, -1, {"a"}, 1, "x.h"},
      {{"a", "--symbols", "x.h"}, -1, {"a"}, 1, "x.h"},
      {{"--symbols=x.h", "a"}, -1, {"a"}, 1, "x.h"},
      {{"-sx.h", "a"}, -1, {"a"}, 1, "x.h"},
      {{"--symbols="}, -1, {}, 0, ""},
      {{"-w", "a", "--legacy"}, -1, {"a"}, 1, nullptr, true},
      {{"-", "a"}, -1, {"-", "a"}, 2},
      {{"a", "--", "-s", "--help"}, -1, {"a", "-s", "--help"}, 1},
      {{"--", "--"}, -1, {"--"}, 0},
      {{"-s", "--", "a"}, -1, {"a"}, 1, "--"},
      {{"--help", "--bogus"}, 0, {}},
      {{"a", "--version"}, 0, {}},
      {{"--bogus", "--help"}, 2, {}},
      {{"-x"}, 2, {}},
      {{"--legacy=yes"}, 2, {}},
      {{"--sym", "x.h"}, 2, {}},
      {{"a", "-s"}, 2, {}},
      {{"a", "--symbols"}, 2, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    const char* value = nullptr;
    bool flag = false;
    const ToolOption options[] = {{"-s", "--symbols", &value}, {"-w", "--legacy", nullptr, &flag}};
    std::vector<std::string> words = row.args;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    qokit::cli::Operands operands;
    const int status = qokit::cli::ParseCommandLine({"tool", "usage\n", "1"}, options, argv, operands);
    EXPECT_EQ(status, row.status);
    if (status != -1) continue;
    EXPECT_EQ(std::vector<std::string>(operands.words.begin(), operands.words.end()), row.operands);
    EXPECT_EQ(operands.before_dashes, row.before_dashes);
    EXPECT_EQ(value == nullptr ? "(none)" : std::string(value), row.value == nullptr ? "(none)" : row.value);
    EXPECT_EQ(flag, row.flag);
  }
}

}  // namespace
