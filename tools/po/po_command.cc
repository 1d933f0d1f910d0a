#include "po_command.h"

#include <sys/stat.h>

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

bool WriteOutput(const char* path, std::string_view bytes) {
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

// An import's source goes to the replacement of its output file in pieces
// as it is written, so that it is never held whole beside the PO file; a
// failed import leaves the old file as it was, as a write at the end would.
class StreamedOutput {
 public:
  // False when the output is no regular file (a device or a pipe would see
  // the first pieces of a failed import) or cannot be replaced: the caller
  // then writes at the end, which says why.
  bool Open(const char* path) {
    struct stat existing {};
    if (stat(path, &existing) == 0 && !S_ISREG(existing.st_mode)) return false;
    return file_.Open(path);
  }
  void Drain(std::string& bytes) {
    if (bytes.size() >= kPiece) Put(bytes);
  }
  // Writes what is left and puts the file in place; false after the message.
  bool Finish(const char* path, std::string& rest) {
    Put(rest);
    if (error_ == 0 && !file_.Commit()) error_ = errno;
    if (error_ == 0) return true;
    qokit::po::SayCannotWrite(path, error_);
    return false;
  }

 private:
  static constexpr std::size_t kPiece = std::size_t{16} << 10;
  void Put(std::string& bytes) {
    if (error_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file_.stream()) != bytes.size()) error_ = errno;
    bytes.clear();
  }

  io::ReplacementFile file_;
  int error_ = 0;  // errno of the first failed write
};

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
  if (is_export) {
    std::string_view po;
    return ExportPo(list, export_options, out, po) == 0 && WriteOutput(output, po) ? 0 : 1;
  }
  StreamedOutput streamed;
  if (output != nullptr && streamed.Open(output)) {
    if (ImportPo(list[0], list.subspan(1), import_options, out, [&](std::string& bytes) { streamed.Drain(bytes); }) != 0)
      return 1;
    return streamed.Finish(output, out) ? 0 : 1;
  }
  if (ImportPo(list[0], list.subspan(1), import_options, out) != 0) return 1;
  return WriteOutput(output, out) ? 0 : 1;
}

}  // namespace qokit::po
