// The command line and the output checks shared by the dump tools:
// --help and --version, a few options, one file operand, and standard
// output checked at the end (a full device is a failure, not a clean run).
#pragma once

#include <cstdio>
#include <span>

namespace qokit::cli {

// An option of a tool: a switch (sets *flag) or one with a value (sets *value).
struct ToolOption {
  const char* short_name;  // "-s", or nullptr
  const char* long_name;   // "--symbols"
  const char** value = nullptr;
  bool* flag = nullptr;
};

// The name, usage text and options of one tool.
struct ToolCommand {
  const char* name;
  const char* usage;
  const char* version;
  std::span<const ToolOption> options;
};

// Parses argv into the options and the operand. -1 when the tool should run;
// otherwise the exit status after --help, --version (0) or a usage error (2),
// whose text has been printed.
int ParseToolCommand(const ToolCommand& tool, int argc, char** argv, const char*& operand);

// The exit status once the output is written: `status`, or 1 after saying
// that standard output could not be written.
int FinishToolOutput(const ToolCommand& tool, int status);

}  // namespace qokit::cli
