// The command line of every kit tool, GNU style:
//   - options and operands in any order; "--" ends the options, and "-"
//     alone is an operand;
//   - a value follows its option as the next word, or as "--name=VALUE" or
//     "-sVALUE";
//   - --help prints the usage text on standard output, --version the
//     version, both exit 0;
//   - an unknown option, or one without its value, is a usage error:
//     "PROGRAM: unrecognized option 'X'" and a line pointing at --help on
//     standard error, exit 2.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <vector>

namespace qokit::cli {

// The exit status of every usage error.
inline constexpr int kUsageStatus = 2;

// An option of a tool: a switch (sets *flag) or one with a value (sets *value).
struct ToolOption {
  const char* short_name;  // "-s", or nullptr
  const char* long_name;   // "--symbols", or nullptr
  const char** value = nullptr;
  bool* flag = nullptr;
};

// A tool's name, usage text (its --help) and version.
struct ToolCommand {
  const char* name;
  const char* usage;
  const char* version;
};

// The words that are no options, in order.
struct Operands {
  std::vector<const char*> words;
  // How many of them stood before a "--" (all of them when there was none).
  std::size_t before_dashes = 0;
};

// Parses `args` (the words after the program name, or after a subcommand).
// -1 when the tool should run; otherwise the exit status after --help,
// --version (0) or a usage error (kUsageStatus), whose text has been printed.
[[nodiscard]] int ParseCommandLine(const ToolCommand& tool, std::span<const ToolOption> options,
                                   std::span<char* const> args, Operands& operands);

// The same for a tool of exactly one operand, put in `operand`; a missing or
// second one is the usage error "missing operand" or "extra operand 'X'".
[[nodiscard]] int ParseOneOperand(const ToolCommand& tool, std::span<const ToolOption> options, int argc,
                                  char** argv, const char*& operand);

// Prints "PROGRAM: problem" and the line pointing at --help; returns kUsageStatus.
int UsageError(const ToolCommand& tool, const char* problem);
// The same with a format.
[[gnu::format(printf, 2, 3)]] int UsageErrorF(const ToolCommand& tool, const char* format, ...);

// The exit status once the output is written: `status`, or 1 after saying
// that standard output could not be written (a full device is a failure).
int FinishToolOutput(const ToolCommand& tool, int status);

}  // namespace qokit::cli
