// qomsgdump: prints a message object file back as message source text.
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "catalog.h"
#include "command_line.h"
#include "file_bytes.h"
#include "msgdump.h"
#include "qokit/nls/nlsstr.h"
#include "symbol_names.h"
#include "tool_messages.h"

int main(int argc, char** argv) {
  nlsInit();
  const char* symfile = nullptr;
  bool maxInserts = false;
  const qokit::cli::ToolOption options[] = {{"-s", "--symbols", &symfile},
                                            {nullptr, "--max-inserts", nullptr, &maxInserts}};
  const qokit::cli::ToolCommand tool = {"qomsgdump", qokit::cli::kQomsgdumpUsage, QOKIT_VERSION};
  const char* objfile = nullptr;
  if (const int status = qokit::cli::ParseOneOperand(tool, options, argc, argv, objfile); status >= 0) return status;

  // The build functions ask this to tell whether a kept symbol file records too few inserts.
  if (maxInserts) {
    std::optional<long> recorded;
    if (!qokit::dump::ReadMaxInserts(objfile, recorded)) {
      qokit::cli::SayCannotReadSymbolFile(objfile);
      return 1;
    }
    if (!recorded) {
      qokit::cli::SayNoMaxInserts(objfile);
      return 1;
    }
    std::printf("%ld\n", *recorded);
    return qokit::cli::FinishToolOutput(tool, 0);
  }

  std::map<long, std::string> names;
  if (symfile != nullptr && !qokit::dump::ReadSymbolNames(symfile, names)) {
    qokit::cli::SayCannotReadSymbolFile(symfile);
    return 1;
  }
  qokit::io::OwnedBytes bytes;
  if (!qokit::io::ReadWholeFile(objfile, bytes, qokit::reader::kMaxFileSize)) {
    qokit::cli::SayCannotRead(tool.name, objfile);
    return 1;
  }
  qokit::reader::Catalog catalog;
  char why[256];
  if (const int rc = catalog.Load(std::move(bytes), why, sizeof why); rc != QOMSG_OK) {
    qokit::cli::SayCannotLoad(objfile, qomsg_strerror(rc), why);
    return 1;
  }
  const bool faithful = qokit::dump::WriteMessageSource(catalog, names, stdout, stderr);
  return qokit::cli::FinishToolOutput(tool, faithful ? 0 : 1);
}
