// qomsgdump: prints a message object file back as message source text.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "catalog.h"
#include "file_bytes.h"
#include "msgdump.h"
#include "nlsstr.h"
#include "symbol_names.h"
#include "tool_cli.h"

int main(int argc, char** argv) {
  nlsInit();
  const char* symfile = nullptr;
  const qokit::ToolOption options[] = {{"-s", "--symbols", &symfile}};
  const qokit::ToolCommand tool = {"qomsgdump",
                                   "Usage: qomsgdump [-s SYMFILE] OBJFILE\n"
                                   "Print a message object file as message source text.\n\n"
                                   "  -s, --symbols SYMFILE  take the message symbols from a symbol file\n"
                                   "      --help             show this help and exit\n"
                                   "      --version          show the version and exit\n",
                                   QOKIT_VERSION, options};
  const char* objfile = nullptr;
  if (const int status = qokit::ParseToolCommand(tool, argc, argv, objfile); status >= 0) return status;

  std::map<long, std::string> names;
  if (symfile != nullptr && !qokit::ReadSymbolNames(symfile, names)) {
    std::fprintf(stderr, "qomsgdump: cannot read symbol file %s: %s\n", symfile, std::strerror(errno));
    return 1;
  }
  std::string bytes;
  if (!qokit::ReadWholeFile(objfile, bytes, qomsg::kMaxFileSize)) {
    std::fprintf(stderr, "qomsgdump: cannot read %s: %s\n", objfile, std::strerror(errno));
    return 1;
  }
  qomsg::Catalog catalog;
  std::string why;
  if (const int rc = catalog.Load(bytes, why); rc != QOMSG_OK) {
    std::fprintf(stderr, "qomsgdump: %s: %s: %s\n", objfile, qomsg_strerror(rc), why.c_str());
    return 1;
  }
  const bool faithful = qokit::WriteMessageSource(catalog, names, stdout, stderr);
  return qokit::FinishToolOutput(tool, faithful ? 0 : 1);
}
