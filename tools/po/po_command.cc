#include "po_command.h"

#include <cerrno>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "msgstate.h"
#include "po_export.h"
#include "po_import.h"
#include "po_messages.h"
#include "replace_file.h"
#include "same_file.h"

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
  if (!io::WriteWholeFile(path, bytes)) {
    qokit::po::SayCannotWrite(path, errno);
    return false;
  }
  return true;
}

}  // namespace

int RunPoTool(int argc, char** argv, const char* version) {
  const cli::ToolCommand tool = {"qomsgpo", kUsage, version};
  const std::span<char* const> args(argv + 1, argv + argc);
  // The subcommand comes first; before it only --help and --version.
  const std::string_view subcommand = args.empty() ? "" : args[0];
  const bool is_export = subcommand == "export";
  cli::Operands operands;
  if (!is_export && subcommand != "import") {
    if (const int status = cli::ParseCommandLine(tool, {}, args, operands); status >= 0) return status;
    if (args.empty()) return cli::UsageError(tool, "a subcommand is needed: export or import");
    return cli::UsageErrorF(tool, "unknown subcommand: %s", args[0]);
  }
  const char* output = nullptr;
  ExportOptions export_options;
  ImportOptions import_options;
  const cli::ToolOption export_table[] = {{"-o", nullptr, &output},
                                          {nullptr, "--pot", nullptr, &export_options.pot},
                                          {nullptr, "--no-context", nullptr, &export_options.no_context}};
  const cli::ToolOption import_table[] = {{"-o", nullptr, &output},
                                          {nullptr, "--keep-going", nullptr, &import_options.keep_going}};
  const std::span<const cli::ToolOption> options = is_export ? std::span<const cli::ToolOption>(export_table)
                                                             : std::span<const cli::ToolOption>(import_table);
  if (const int status = cli::ParseCommandLine(tool, options, args.subspan(1), operands); status >= 0) return status;
  const std::vector<const char*>& words = operands.words;
  if (words.empty())
    return cli::UsageError(tool, is_export ? "export needs at least one message source" : "import needs a PO file");
  for (const char* input : words) {
    if (output != nullptr && io::IsSameFile(output, input))
      return cli::UsageErrorF(tool, "the output %s would replace the input %s", output, input);
  }
  const std::size_t sources = is_export ? words.size() : words.size() - 1;
  if (sources > msgcomp::kMaxSourceFiles)
    return cli::UsageErrorF(tool, "at most %d source files", msgcomp::kMaxSourceFiles);
  std::string out;
  const std::span<const char* const> list(words);
  const int result = is_export ? ExportPo(list, export_options, out)
                               : ImportPo(list[0], list.subspan(1), import_options, out);
  if (result != 0) return 1;
  return WriteOutput(output, out) ? 0 : 1;
}

}  // namespace qokit::po
