#include "tool_cli.h"

#include "qokit/nls/nlsstr.h"
#include "tool_messages.h"

namespace qokit::cli {

namespace {

bool Is(const char* arg, const char* name) { return name != nullptr && nls.nlsStrCmp(arg, name) == 0; }

int UsageError(const ToolCommand& tool, const char* arg) {
  if (arg != nullptr) SayUnexpectedArgument(tool.name, arg);
  SayUsage(stderr, tool.usage);
  return 2;
}

}  // namespace

int ParseToolCommand(const ToolCommand& tool, int argc, char** argv, const char*& operand) {
  operand = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (Is(arg, "--help")) {
      SayUsage(stdout, tool.usage);
      return 0;
    }
    if (Is(arg, "--version")) {
      SayVersion(tool.name, tool.version);
      return 0;
    }
    const ToolOption* option = nullptr;
    for (const ToolOption& o : tool.options)
      if (Is(arg, o.short_name) || Is(arg, o.long_name)) option = &o;
    if (option != nullptr && option->flag != nullptr) {
      *option->flag = true;
    } else if (option != nullptr && i + 1 < argc) {
      *option->value = argv[++i];
    } else if (arg[0] == '-' || operand != nullptr) {
      return UsageError(tool, arg);
    } else {
      operand = arg;
    }
  }
  return operand == nullptr ? UsageError(tool, nullptr) : -1;
}

int FinishToolOutput(const ToolCommand& tool, int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    SayCannotWriteOutput(tool.name);
    return 1;
  }
  return status;
}

}  // namespace qokit::cli
