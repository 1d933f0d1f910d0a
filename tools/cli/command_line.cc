#include "command_line.h"

#include <cstdarg>
#include <cstring>
#include <string>
#include <string_view>

#include "diagnostics.h"
#include "version_line.h"

namespace qokit::cli {

namespace {

// The option `word` names, and the value attached to it ("--name=VALUE",
// "-sVALUE"), if any.
const ToolOption* Find(std::span<const ToolOption> options, std::string_view word, const char*& attached) {
  attached = nullptr;
  for (const ToolOption& o : options) {
    for (const char* name : {o.short_name, o.long_name}) {
      if (name == nullptr) continue;
      const std::string_view n(name);
      if (word == n) return &o;
      if (o.value == nullptr || !word.starts_with(n)) continue;
      const bool is_long = n.starts_with("--");
      if (is_long && word[n.size()] == '=') {
        attached = word.data() + n.size() + 1;
        return &o;
      }
      if (!is_long) {
        attached = word.data() + n.size();
        return &o;
      }
    }
  }
  return nullptr;
}

}  // namespace

int ParseCommandLine(const ToolCommand& tool, std::span<const ToolOption> options, std::span<char* const> args,
                     Operands& operands) {
  operands = {};
  bool past_dashes = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view word = args[i];
    if (past_dashes || word.size() < 2 || word[0] != '-') {
      operands.words.push_back(args[i]);
      continue;
    }
    if (word == "--") {
      past_dashes = true;
      operands.before_dashes = operands.words.size();
      continue;
    }
    if (word == "--help") {
      Report(stdout, "%s", tool.usage);
      return 0;
    }
    if (word == "--version") {
      std::fputs(format::VersionLine(tool.name, tool.version).c_str(), stdout);
      return 0;
    }
    const char* attached = nullptr;
    const ToolOption* option = Find(options, word, attached);
    if (option == nullptr) return UsageErrorF(tool, "unrecognized option '%s'", args[i]);
    if (option->flag != nullptr) {
      *option->flag = true;
    } else if (attached != nullptr) {
      *option->value = attached;
    } else if (i + 1 < args.size()) {
      *option->value = args[++i];
    } else {
      return UsageErrorF(tool, "option '%s' requires an argument", args[i]);
    }
  }
  if (!past_dashes) operands.before_dashes = operands.words.size();
  return -1;
}

int ParseOneOperand(const ToolCommand& tool, std::span<const ToolOption> options, int argc, char** argv,
                    const char*& operand) {
  Operands operands;
  if (const int status = ParseCommandLine(tool, options, {argv + 1, argv + argc}, operands); status >= 0)
    return status;
  if (operands.words.empty()) return UsageError(tool, "missing operand");
  if (operands.words.size() > 1) return UsageErrorF(tool, "extra operand '%s'", operands.words[1]);
  operand = operands.words[0];
  return -1;
}

int UsageError(const ToolCommand& tool, const char* problem) { return UsageErrorF(tool, "%s", problem); }

int UsageErrorF(const ToolCommand& tool, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string problem = FormatV(format, args);
  va_end(args);
  Report(stderr, "%s: %s\nTry '%s --help' for more information.\n", tool.name, problem.c_str(), tool.name);
  return kUsageStatus;
}

int FinishToolOutput(const ToolCommand& tool, int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    Report(stderr, "%s: cannot write the output\n", tool.name);
    return 1;
  }
  return status;
}

}  // namespace qokit::cli
