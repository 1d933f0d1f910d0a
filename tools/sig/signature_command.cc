#include "signature_command.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "file_bytes.h"
#include "msgstate.h"
#include "msgsym.h"
#include "replace_file.h"
#include "signature_header.h"
#include "source_reader.h"
#include "state_scope.h"

namespace qokit::sig {

namespace {

constexpr int kUsageStatus = 2;

[[gnu::format(printf, 2, 3)]] void Say(std::FILE* to, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vfprintf(to, format, ap);
  va_end(ap);
}

void SayUsage(std::FILE* to) {
  Say(to,
      "Usage: qomsgsig SYMBOLFILE HEADER PREFIX SOURCE...\n"
      "Write HEADER, the companion of the symbol file SYMBOLFILE: for every message\n"
      "of the sources its argument signature, a macro PREFIX_format_SYMBOL whose\n"
      "calls the C compiler checks against it, and the table PREFIX_signatures\n"
      "for qomsg_open_checked. HEADER is rewritten only when its text changes.\n\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n\n"
      "Exit status: 0 on success, 1 when the sources or HEADER fail, 2 for usage\n"
      "errors.\n");
}

void SayUsageError() {
  Say(stderr, "qomsgsig: SYMBOLFILE, HEADER, PREFIX and 1 to %d sources are needed\n"
              "Try 'qomsgsig --help' for more information.\n", msgcomp::kMaxSourceFiles);
}

void SayStatus(SignatureHeaderStatus status, const char* header, const std::string& culprit) {
  switch (status) {
    case SignatureHeaderStatus::kOk: break;
    case SignatureHeaderStatus::kSourceFault: Say(stderr, "qomsgsig: the sources do not compile.\n"); break;
    case SignatureHeaderStatus::kUnsoundText:
      Say(stderr, "qomsgsig: message %s has no argument signature.\n", culprit.c_str());
      break;
    case SignatureHeaderStatus::kNoMessages: Say(stderr, "qomsgsig: the sources hold no numbered message.\n"); break;
    case SignatureHeaderStatus::kBadPrefix: Say(stderr, "qomsgsig: the prefix is not a C identifier.\n"); break;
    case SignatureHeaderStatus::kBadSymbol:
      Say(stderr, "qomsgsig: symbol %s is not a C identifier.\n", culprit.c_str());
      break;
    case SignatureHeaderStatus::kBadSymbolFileName:
      Say(stderr, "qomsgsig: the symbol file name cannot be included.\n");
      break;
    case SignatureHeaderStatus::kWriteFailed: Say(stderr, "qomsgsig: cannot write %s.\n", header); break;
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
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    SayUsage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    Say(stdout, "qomsgsig (qokit) %s\n", QOKIT_VERSION);
    return 0;
  }
  if (argc < 5 || argc - 4 > msgcomp::kMaxSourceFiles) {
    SayUsageError();
    return kUsageStatus;
  }
  const char* header = argv[2];
  msgcomp::CompilerStateScope scope;
  if (!scope.ok()) {
    SayStatus(SignatureHeaderStatus::kWriteFailed, header, {});
    return 1;
  }
  msgcomp::MsgCompilerState& st = scope.state();
  st.symFileName = argv[1];
  st.numSrcFiles = argc - 4;
  for (int i = 0; i < st.numSrcFiles; ++i) st.srcFileNames[i] = argv[4 + i];
  if (msgcomp::OpenSources() != 0) return 1;
  std::string text, culprit;
  SignatureHeaderStatus status = CompanionText(argv[1], argv[3], text, culprit);
  std::string old;
  if (!qokit::io::ReadWholeFile(header, old, old.max_size())) old.clear();  // none yet, or unreadable: write it
  if (status == SignatureHeaderStatus::kOk && old != text) {
    io::ReplacementFile out;
    const bool written = out.Open(header) && std::fwrite(text.data(), 1, text.size(), out.stream()) == text.size() &&
                         out.Commit();
    if (!written) status = SignatureHeaderStatus::kWriteFailed;
  }
  SayStatus(status, header, culprit);
  return status == SignatureHeaderStatus::kOk ? 0 : 1;
}

}  // namespace qokit::sig
