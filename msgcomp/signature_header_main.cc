// qomsgsig: writes the companion header of a symbol file (signature_header.h)
// from the base message sources. The header is rewritten only when its text
// changed, so an unchanged one triggers no rebuild of its clients.
//
//   qomsgsig SYMBOLFILE HEADER PREFIX SOURCE...
//
// The companion includes the symbol file by its file name, so it belongs in
// the symbol file's directory.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "msgstate.h"
#include "msgsym.h"
#include "nlsstr.h"
#include "replace_file.h"
#include "signature_header.h"
#include "source_reader.h"

namespace {

constexpr int kUsageStatus = 255;

[[gnu::format(printf, 1, 2)]] void Say(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vfprintf(stderr, format, ap);
  va_end(ap);
}

void SayStatus(SignatureHeaderStatus status, const char* header, const std::string& culprit) {
  switch (status) {
    case SignatureHeaderStatus::kOk: break;
    case SignatureHeaderStatus::kSourceFault: Say("qomsgsig: the sources do not compile.\n"); break;
    case SignatureHeaderStatus::kUnsoundText: Say("qomsgsig: message %s has no argument signature.\n", culprit.c_str()); break;
    case SignatureHeaderStatus::kNoMessages: Say("qomsgsig: the sources hold no numbered message.\n"); break;
    case SignatureHeaderStatus::kBadPrefix: Say("qomsgsig: the prefix is not a C identifier.\n"); break;
    case SignatureHeaderStatus::kBadSymbol: Say("qomsgsig: symbol %s is not a C identifier.\n", culprit.c_str()); break;
    case SignatureHeaderStatus::kBadSymbolFileName: Say("qomsgsig: the symbol file name cannot be included.\n"); break;
    case SignatureHeaderStatus::kWriteFailed: Say("qomsgsig: cannot write %s.\n", header); break;
  }
}

struct StateOwner {
  std::unique_ptr<MsgCompilerState> state = std::make_unique<MsgCompilerState>();
  StateOwner() { msgState = state.get(); }
  ~StateOwner() {
    CloseSources();
    FreeSymbolTable();
    msgState = nullptr;
  }
};

std::string ReadAll(const char* path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path, "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

int Run(int argc, char** argv) {
  if (argc < 5 || argc - 4 > kMaxSourceFiles) {
    Say("usage: qomsgsig SYMBOLFILE HEADER PREFIX SOURCE... (at most %d sources)\n", kMaxSourceFiles);
    return kUsageStatus;
  }
  const char* header = argv[2];
  StateOwner owner;
  MsgCompilerState& st = *owner.state;
  st.symFileName = argv[1];
  st.numSrcFiles = argc - 4;
  for (int i = 0; i < st.numSrcFiles; ++i) st.srcFileNames[i] = argv[4 + i];
  if (OpenSources() != 0) return 1;
  SignatureSet set;
  std::string culprit;
  SignatureHeaderStatus status = CollectSignatures(set, culprit);
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* memory = open_memstream(&text, &size);
  if (memory == nullptr) status = SignatureHeaderStatus::kWriteFailed;
  const std::string include = std::filesystem::path(argv[1]).filename().string();
  if (status == SignatureHeaderStatus::kOk) status = WriteSignatureHeader(memory, set, include, argv[3], culprit);
  if (memory != nullptr) std::fclose(memory);
  const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
  if (status == SignatureHeaderStatus::kOk && ReadAll(header) != std::string_view(text, size)) {
    ReplacementFile out;
    const bool written = out.Open(header) && std::fwrite(text, 1, size, out.stream()) == size && out.Commit();
    if (!written) status = SignatureHeaderStatus::kWriteFailed;
  }
  SayStatus(status, header, culprit);
  return status == SignatureHeaderStatus::kOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  nlsInit();
  return Run(argc, argv);
}
