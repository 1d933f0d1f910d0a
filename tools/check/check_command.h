// The qomsgcheck command line and one run of the checker:
//   qomsgcheck [options] SOURCE...                  lint of message sources
//   qomsgcheck [options] --base BASE... -- TRANSLATED...   translation check
//   qomsgcheck [options] --max-inserts SOURCE...    highest insert count
//   qomsgcheck [options] --help-source [--legacy] [--line-length N] FILE...
//                                                   lint of help sources
// Options: -w / --no-warnings, --help, --version. Findings go to standard
// error; standard input is never read.
#pragma once

#include <vector>

namespace qokit::check {

enum class Mode { kLint, kTranslation, kMaxInserts, kHelpSource };

struct CheckCommand {
  Mode mode = Mode::kLint;
  bool warnings = true;
  std::vector<const char*> sources;     // the sources, or the base ones
  std::vector<const char*> translated;  // after "--" with --base
  bool legacy = false;                  // --help-source: the legacy syntax
  int lineLength = 0;                   // --help-source: 0 for the compiler's default
};

// Parses argv. -1 when the checker should run; otherwise the exit status
// after --help or --version (0) or a usage error (2), already printed.
[[nodiscard]] int ParseCheckCommand(int argc, char** argv, CheckCommand& command);

// Runs a parsed command: 0 when no error was found, 1 otherwise.
[[nodiscard]] int RunCheckCommand(const CheckCommand& command);

// Both: the exit status of qomsgcheck for a command line.
[[nodiscard]] int RunMessageChecker(int argc, char** argv);

}  // namespace qokit::check
