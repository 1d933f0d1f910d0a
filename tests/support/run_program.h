#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What one run of a program gave back.
struct RunResult {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status 0-255, or 128 + signal number when killed by a signal
};

struct RunOptions {
  std::string input;                     // fed to standard input, which is then closed
  std::filesystem::path workdir;         // the program's working directory (empty: inherit)
  int timeout_seconds = 30;              // the program is killed with SIGKILL after this
  std::vector<std::string> environment;  // extra NAME=VALUE entries
};

// Runs `program` with `args` (argv[1]...) and collects its output. Output is read
// concurrently so a program that writes a lot never blocks on a full pipe.
RunResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const RunOptions& options = {});
