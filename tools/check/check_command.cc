#include "check_command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check_messages.h"
#include "file_bytes.h"
#include "help_lint.h"
#include "source_lint.h"
#include "translation_check.h"

namespace qokit::check {

namespace {

// A line length: decimal digits. Whether the help compiler can use it is the
// lint's to say, from the compiler's own limits.
bool LineLength(const char* word, int& out) {
  if (*word == '\0' || std::strspn(word, "0123456789") != std::strlen(word)) return false;
  errno = 0;
  const long value = std::strtol(word, nullptr, 10);
  if (errno != 0 || value > 1000000) return false;
  out = static_cast<int>(value);
  return true;
}

int RunHelpLint(const CheckCommand& command) {
  qokit::check::Options options;
  options.legacy = command.legacy;
  if (command.lineLength != 0) options.line_length = command.lineLength;
  options.warnings = command.warnings;
  int errors = 0;
  std::string bytes;
  for (const char* file : command.sources) {
    if (!qokit::io::ReadWholeFile(file, bytes, bytes.max_size())) {
      SayCannotReadHelp(file, errno);
      ++errors;
      continue;
    }
    errors += qokit::check::LintHelpSource(file, bytes, options, stderr).errors;
  }
  return errors > 0 ? 1 : 0;
}

}  // namespace

int ParseCheckCommand(int argc, char** argv, CheckCommand& command) {
  command = CheckCommand{};
  bool noWarnings = false, base = false, maxInserts = false, help = false;
  const char* lineLength = nullptr;
  const cli::ToolOption options[] = {{"-w", "--no-warnings", nullptr, &noWarnings},
                                     {nullptr, "--base", nullptr, &base},
                                     {nullptr, "--max-inserts", nullptr, &maxInserts},
                                     {nullptr, "--help-source", nullptr, &help},
                                     {nullptr, "--legacy", nullptr, &command.legacy},
                                     {nullptr, "--line-length", &lineLength}};
  cli::Operands operands;
  if (const int status = cli::ParseCommandLine(kChecker, options, {argv + 1, argv + argc}, operands); status >= 0)
    return status;
  command.warnings = !noWarnings;
  // With --base the sources after "--" are the translation.
  const std::size_t split = base ? operands.before_dashes : operands.words.size();
  command.sources.assign(operands.words.begin(), operands.words.begin() + static_cast<std::ptrdiff_t>(split));
  command.translated.assign(operands.words.begin() + static_cast<std::ptrdiff_t>(split), operands.words.end());
  if (lineLength != nullptr && !LineLength(lineLength, command.lineLength)) return SayBadLineLength(lineLength);
  const bool helpOption = command.legacy || lineLength != nullptr;
  if (base && maxInserts) return SayMaxInsertsWithBase();
  if (help && (base || maxInserts)) return SayHelpSourceAlone();
  if (helpOption && !help) return SayHelpOptionWithoutHelpSource();
  if (command.legacy && command.lineLength != 0) return SayLegacyLineLength();
  if (help) {
    if (command.sources.empty()) return SayNoHelpSources();
    command.mode = Mode::kHelpSource;
    return -1;
  }
  if (command.sources.empty()) return SayNoSources();
  if (base && command.translated.empty()) return SayNoTranslatedSources();
  command.mode = base ? Mode::kTranslation : maxInserts ? Mode::kMaxInserts : Mode::kLint;
  return -1;
}

int RunCheckCommand(const CheckCommand& command) {
  if (command.mode == Mode::kHelpSource) return RunHelpLint(command);
  Findings findings(command.warnings);
  LintResult result;
  const bool read = LintSources(command.sources, findings, result);
  if (read && command.mode == Mode::kTranslation) {
    LintResult translated;
    if (LintSources(command.translated, findings, translated, TextsOf::kTranslation)) {
      CheckTranslation(result, translated, findings);
    }
  }
  findings.Print(stderr);
  if (findings.errors() > 0) return 1;
  if (command.mode == Mode::kMaxInserts) SayMaxInserts(result.maxInserts);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

int RunMessageChecker(int argc, char** argv) {
  CheckCommand command;
  const int parsed = ParseCheckCommand(argc, argv, command);
  return parsed >= 0 ? parsed : RunCheckCommand(command);
}

}  // namespace qokit::check
