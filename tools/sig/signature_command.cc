#include "signature_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "diagnostics.h"
#include "file_bytes.h"
#include "msgstate.h"
#include "msgsym.h"
#include "replace_file.h"
#include "same_file.h"
#include "signature_header.h"
#include "source_reader.h"
#include "state_scope.h"

namespace qokit::sig {

namespace {

constexpr char kUsage[] =
    "Usage: qomsgsig SYMBOLFILE HEADER PREFIX SOURCE...\n"
    "Write HEADER, the companion of the symbol file SYMBOLFILE: for every message\n"
    "of the sources its argument signature, a macro PREFIX_format_SYMBOL whose\n"
    "calls the C compiler checks against it, and the table PREFIX_signatures\n"
    "for qomsg_open_checked. HEADER is rewritten only when its text changes.\n\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n\n"
    "Exit status: 0 on success, 1 when the sources or HEADER fail, 2 for usage\n"
    "errors.\n";

void SayStatus(SignatureHeaderStatus status, const char* header, const std::string& culprit) {
  switch (status) {
    case SignatureHeaderStatus::kOk: break;
    case SignatureHeaderStatus::kSourceFault: cli::Report(stderr, "qomsgsig: the sources do not compile.\n"); break;
    case SignatureHeaderStatus::kUnsoundText:
      cli::Report(stderr, "qomsgsig: message %s has no argument signature.\n", culprit.c_str());
      break;
    case SignatureHeaderStatus::kNoMessages:
      cli::Report(stderr, "qomsgsig: the sources hold no numbered message.\n");
      break;
    case SignatureHeaderStatus::kBadPrefix: cli::Report(stderr, "qomsgsig: the prefix is not a C identifier.\n"); break;
    case SignatureHeaderStatus::kBadSymbol:
      cli::Report(stderr, "qomsgsig: symbol %s is not a C identifier.\n", culprit.c_str());
      break;
    case SignatureHeaderStatus::kBadSymbolFileName:
      cli::Report(stderr, "qomsgsig: the symbol file name cannot be included.\n");
      break;
    case SignatureHeaderStatus::kWriteFailed: cli::Report(stderr, "qomsgsig: cannot write %s.\n", header); break;
  }
}

// The companion's text, or a status that says why there is none.
SignatureHeaderStatus CompanionText(const char* symbols, const char* prefix, std::string& text,
                                    std::string& culprit) {
  SignatureSet set;
  SignatureHeaderStatus status = CollectSignatures(set, culprit);
  if (status != SignatureHeaderStatus::kOk) return status;
  char* bytes = nullptr;
  std::size_t size = 0;
  std::FILE* memory = open_memstream(&bytes, &size);
  if (memory == nullptr) return SignatureHeaderStatus::kWriteFailed;
  const std::string include = std::filesystem::path(symbols).filename().string();
  status = WriteSignatureHeader(memory, set, include, prefix, culprit);
  std::fclose(memory);
  const std::unique_ptr<char, decltype(&std::free)> owned(bytes, &std::free);
  text.assign(bytes, size);
  return status;
}

}  // namespace

int RunSignatureCommand(int argc, char** argv) {
  const cli::ToolCommand tool = {"qomsgsig", kUsage, QOKIT_VERSION};
  cli::Operands operands;
  if (const int status = cli::ParseCommandLine(tool, {}, {argv + 1, argv + argc}, operands); status >= 0)
    return status;
  const std::vector<const char*>& words = operands.words;
  const int sources = static_cast<int>(words.size()) - 3;
  if (sources < 1 || sources > msgcomp::kMaxSourceFiles)
    return cli::UsageErrorF(tool, "SYMBOLFILE, HEADER, PREFIX and 1 to %d sources are needed",
                            msgcomp::kMaxSourceFiles);
  const char* header = words[1];
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i != 1 && i != 2 && io::IsSameFile(header, words[i]))
      return cli::UsageErrorF(tool, "the header %s would replace the input %s", header, words[i]);
  }
  msgcomp::CompilerStateScope scope;
  if (!scope.ok()) {
    SayStatus(SignatureHeaderStatus::kWriteFailed, header, {});
    return 1;
  }
  msgcomp::MsgCompilerState& st = scope.state();
  st.symFileName = words[0];
  st.numSrcFiles = sources;
  for (int i = 0; i < st.numSrcFiles; ++i) st.srcFileNames[i] = words[3 + static_cast<std::size_t>(i)];
  if (msgcomp::OpenSources() != 0) return 1;
  std::string text, culprit;
  SignatureHeaderStatus status = CompanionText(words[0], words[2], text, culprit);
  std::string old;
  if (!qokit::io::ReadWholeFile(header, old, old.max_size())) old.clear();  // none yet, or unreadable: write it
  if (status == SignatureHeaderStatus::kOk && old != text && !io::WriteWholeFile(header, text))
    status = SignatureHeaderStatus::kWriteFailed;
  SayStatus(status, header, culprit);
  return status == SignatureHeaderStatus::kOk ? 0 : 1;
}

}  // namespace qokit::sig
