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

FullRun RunOnFullFileSystem(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& dir) {
  constexpr char kUnavailable[] = "no tmpfs";
  constexpr char kLeft[] = "\nleft:";
  const std::string script = std::string("mkdir -p full && mount -t tmpfs -o size=64k tmpfs full || { echo ") +
                             kUnavailable + "; exit 0; }\n"
                             "cd full && head -c 1048576 /dev/zero >" + kFillFile + " 2>/dev/null\n"
                             "\"$0\" \"$@\" </dev/null; status=$?\n"
                             "printf '" + kLeft + "'; ls -A | while read -r name; do printf ' %s' \"$name\"; done\n"
                             "exit $status\n";
  std::vector<std::string> shellArgs = {"-rm", "/bin/sh", "-c", script, program};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  FullRun full;
  full.run = RunProgram("/usr/bin/unshare", shellArgs, InDir(dir));
  const std::size_t at = full.run.out.rfind(kLeft);
  if (full.run.out.starts_with(kUnavailable) || at == std::string::npos) {
    full.unavailable = true;
    return full;
  }
  std::string names = full.run.out.substr(at + sizeof kLeft - 1);
  full.run.out.resize(at);
  for (std::size_t from = 0; from < names.size();) {
    const std::size_t end = std::min(names.find(' ', from + 1), names.size());
    if (end > from + 1) full.left.insert(names.substr(from + 1, end - from - 1));
    from = end;
  }
  return full;
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
