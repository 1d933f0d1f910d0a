#pragma once

#include <filesystem>
#include <string>
#include <utility>
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

// Options for a run inside `dir` with `input` on standard input.
inline RunOptions InDir(const std::filesystem::path& dir, std::string input = "") {
  RunOptions options;
  options.input = std::move(input);
  options.workdir = dir;
  return options;
}

// Runs `program` with `args` (argv[1]...) and collects its output. Output is read
// concurrently so a program that writes a lot never blocks on a full pipe.
RunResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const RunOptions& options = {});
