#include "check_command.h"

#include <cstdio>
#include <cstring>

#include "check_messages.h"
#include "source_lint.h"
#include "translation_check.h"

namespace msgcheck {

namespace {

constexpr int kUsageError = 2;

bool Is(const char* word, const char* name) { return std::strcmp(word, name) == 0; }

}  // namespace

int ParseCheckCommand(int argc, char** argv, CheckCommand& command) {
  command = CheckCommand{};
  bool base = false, maxInserts = false, pastDashes = false;
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
    } else {
      SayUnknownOption(word);
      return kUsageError;
    }
  }
  if (base && maxInserts) {
    SayMaxInsertsWithBase();
    return kUsageError;
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
  Findings findings(command.warnings);
  LintResult result;
  const bool read = LintSources(command.sources, findings, result);
  if (read && command.mode == Mode::kTranslation) {
    LintResult translated;
    if (LintSources(command.translated, findings, translated)) CheckTranslation(result, translated, findings);
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

}  // namespace msgcheck
