// The qogenmsg command line: subcommand, file names (directly or from an
// "@" response file), validation, and one run of gensym, regensym or genobj.
#pragma once

namespace qokit::msgcomp {

// Runs the compiler on a command line and returns the process exit status:
// 0 success, 1 open/write/text failure, 2 no memory for the state, 255
// command-line errors and symbol-file or source-consistency failures.
// After a failed gensym or genobj it waits for one byte on standard input.
[[nodiscard]] int RunMessageCompiler(int argc, char** argv);

// 1 when any file name of msgState is given twice (exact comparison), else 0.
[[nodiscard]] int CheckDuplicateNames();

}  // namespace qokit::msgcomp
