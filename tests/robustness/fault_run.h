// Runs a program with a fault injected into its output: a file-size limit
// that makes writes fail part-way (SIGXFSZ ignored, so the write reports
// EFBIG instead of killing the process), or standard output on a full device.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"

// Runs program with the file-size limit set to `blocks` of the shell's
// ulimit unit (512 or 1024 bytes): every file write past it fails.
RunResult RunWithFileSizeLimit(const std::string& program, const std::vector<std::string>& args, int blocks,
                               const RunOptions& options);

// Runs program with standard output on /dev/full (every write fails with ENOSPC).
RunResult RunWithFullStdout(const std::string& program, const std::vector<std::string>& args,
                            const RunOptions& options);

// A run on a full file system: a small tmpfs mounted in a user and mount
// namespace on the folder "full" of `dir`, filled up with the file
// kFillFile, is the program's working directory.
struct FullRun {
  RunResult run;
  std::set<std::string> left;  // the names on the file system after the run
  bool unavailable = false;    // the namespaces cannot be had here
};
inline constexpr char kFillFile[] = "fill";
FullRun RunOnFullFileSystem(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& dir);

// The names in a directory, so a test can see that nothing was left behind.
std::set<std::string> DirectoryNames(const std::filesystem::path& dir);

// The same without the help compilers' listing "struct.doc", which a run
// writes beside its output.
std::set<std::string> WithoutListing(std::set<std::string> names);

// A directory no file can be created in, even by a privileged user.
std::filesystem::path UnwritableDirectory();
