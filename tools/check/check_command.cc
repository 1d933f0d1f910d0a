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

constexpr int kUsageError = 2;

bool Is(const char* word, const char* name) { return std::strcmp(word, name) == 0; }

// A line length: decimal digits. Whether the help compiler can use it is the
// lint's to say, from the compiler's own limits.
bool LineLength(const char* word, int& out) {
  if (word == nullptr || *word == '\0' || std::strspn(word, "0123456789") != std::strlen(word)) return false;
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
  bool base = false, maxInserts = false, pastDashes = false, help = false, helpOption = false;
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (pastDashes || word[0] != '-' || word[1] == '\0') {
      (pastDashes && base ? command.translated : command.sources).push_back(word);
    } else if (Is(word, "--")) {
      pastDashes = true;
    } else if (Is(word, "--help")) {
      SayUsage(stdout);
      return 0;
    } else if (Is(word, "--version")) {
      SayVersion(QOKIT_VERSION);
      return 0;
    } else if (Is(word, "-w") || Is(word, "--no-warnings")) {
      command.warnings = false;
    } else if (Is(word, "--base")) {
      base = true;
    } else if (Is(word, "--max-inserts")) {
      maxInserts = true;
    } else if (Is(word, "--help-source")) {
      help = true;
    } else if (Is(word, "--legacy")) {
      command.legacy = helpOption = true;
    } else if (Is(word, "--line-length")) {
      helpOption = true;
      if (!LineLength(i + 1 < argc ? argv[++i] : nullptr, command.lineLength)) {
        SayBadLineLength(i < argc ? argv[i] : "");
        return kUsageError;
      }
    } else {
      SayUnknownOption(word);
      return kUsageError;
    }
  }
  if (base && maxInserts) {
    SayMaxInsertsWithBase();
    return kUsageError;
  }
  if (help && (base || maxInserts)) {
    SayHelpSourceAlone();
    return kUsageError;
  }
  if (helpOption && !help) {
    SayHelpOptionWithoutHelpSource();
    return kUsageError;
  }
  if (command.legacy && command.lineLength != 0) {
    SayLegacyLineLength();
    return kUsageError;
  }
  if (help) {
    if (command.sources.empty()) {
      SayNoHelpSources();
      return kUsageError;
    }
    command.mode = Mode::kHelpSource;
    return -1;
  }
  if (command.sources.empty()) {
    SayNoSources();
    return kUsageError;
  }
  if (base && command.translated.empty()) {
    SayNoTranslatedSources();
    return kUsageError;
  }
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
