#include "fault_run.h"

RunResult RunWithFileSizeLimit(const std::string& program, const std::vector<std::string>& args, int blocks,
                               const RunOptions& options) {
  std::vector<std::string> shellArgs = {
      "-c", "ulimit -f " + std::to_string(blocks) + " && trap '' XFSZ && exec \"$0\" \"$@\"", program};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  return RunProgram("/bin/sh", shellArgs, options);
}

RunResult RunWithFullStdout(const std::string& program, const std::vector<std::string>& args,
                            const RunOptions& options) {
  std::vector<std::string> shellArgs = {"-c", "exec \"$0\" \"$@\" >/dev/full", program};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  return RunProgram("/bin/sh", shellArgs, options);
}

std::set<std::string> DirectoryNames(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

std::set<std::string> WithoutListing(std::set<std::string> names) {
  names.erase("struct.doc");
  return names;
}

// /proc accepts no new files from anyone, root included, so the test holds
// whoever runs it (a mode-0555 directory does not stop root).
std::filesystem::path UnwritableDirectory() { return "/proc"; }
