// Running vexproc in a fresh directory, where it also writes "struct.doc".
#pragma once

#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

inline RunResult RunVexproc(const TempDir& dir, const std::vector<std::string>& args, const std::string& input = "") {
  RunOptions options;
  options.input = input;
  options.workdir = dir.path();
  return RunProgram(VEXPROC_PATH, args, options);
}

// The text that ends every completed run.
inline std::string Finished(int errors) { return "\nFinished... " + std::to_string(errors) + " errors found.\n"; }

inline std::string Banner() {
  return "\n*** ------------------------ For the maker's internal use only --------------------- ***\n"
         "       This program was written to process a special tagged file provided\n"
         "       as input to generate an output file containing retrieval information\n"
         "       for the help of the backup clients for UNIX and Windows.\n"
         "\n*** ------------------------------------------------------------------- ***\n";
}
