#include "po_command.h"

#include <cerrno>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "msgstate.h"
#include "po_export.h"
#include "po_import.h"
#include "po_messages.h"
#include "replace_file.h"

namespace qokit::po {

namespace {

bool WriteOutput(const char* path, const std::string& bytes) {
  if (path == nullptr) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
      qokit::po::SayCannotWrite("standard output", errno);
      return false;
    }
    return true;
  }
  io::ReplacementFile file;
  if (!file.Open(path) || std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) != bytes.size() ||
      !file.Commit()) {
    qokit::po::SayCannotWrite(path, errno);
    return false;
  }
  return true;
}

}  // namespace

int RunPoTool(int argc, char** argv, const char* version) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (const std::string_view arg : args) {
    if (arg == "--") break;
    if (arg == "--help") {
      qokit::po::SayUsage(true);
      return 0;
    }
    if (arg == "--version") {
      qokit::po::SayVersion(version);
      return 0;
    }
  }
  if (args.empty()) {
    qokit::po::SayUsageError("a subcommand is needed: export or import", "");
    return 1;
  }
  const bool is_export = args[0] == "export";
  if (!is_export && args[0] != "import") {
    qokit::po::SayUsageError("unknown subcommand: ", argv[1]);
    return 1;
  }
  const char* output = nullptr;
  ExportOptions export_options;
  ImportOptions import_options;
  bool options = true;
  std::vector<const char*> operands;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "-o") {
      if (i + 1 == argc) {
        qokit::po::SayUsageError("-o needs a file name", "");
        return 1;
      }
      output = argv[++i];
    } else if (options && is_export && arg == "--pot") {
      export_options.pot = true;
    } else if (options && is_export && arg == "--no-context") {
      export_options.no_context = true;
    } else if (options && !is_export && arg == "--keep-going") {
      import_options.keep_going = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      qokit::po::SayUsageError("unknown option: ", argv[i]);
      return 1;
    } else {
      operands.push_back(argv[i]);
    }
  }
  const std::size_t sources = is_export ? operands.size() : operands.size() - (operands.empty() ? 0 : 1);
  if (operands.empty()) {
    qokit::po::SayUsageError(is_export ? "export needs at least one message source" : "import needs a PO file", "");
    return 1;
  }
  if (sources > msgcomp::kMaxSourceFiles) {
    qokit::po::SayTooManySources(msgcomp::kMaxSourceFiles);
    return 1;
  }
  std::string out;
  const std::span<const char* const> list(operands);
  const int result = is_export ? qokit::po::ExportPo(list, export_options, out) : qokit::po::ImportPo(list[0], list.subspan(1), import_options, out);
  if (result != 0) return 1;
  return WriteOutput(output, out) ? 0 : 1;
}

}  // namespace qokit::po
