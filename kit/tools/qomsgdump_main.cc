// qomsgdump: prints a message object file back as message source text.
#include <cstdio>
#include <map>
#include <string>

#include "catalog.h"
#include "file_bytes.h"
#include "msgdump.h"
#include "nlsstr.h"
#include "symbol_names.h"
#include "tool_cli.h"
#include "tool_messages.h"

int main(int argc, char** argv) {
  nlsInit();
  const char* symfile = nullptr;
  const qokit::ToolOption options[] = {{"-s", "--symbols", &symfile}};
  const qokit::ToolCommand tool = {"qomsgdump", qokit::kQomsgdumpUsage, QOKIT_VERSION, options};
  const char* objfile = nullptr;
  if (const int status = qokit::ParseToolCommand(tool, argc, argv, objfile); status >= 0) return status;

  std::map<long, std::string> names;
  if (symfile != nullptr && !qokit::ReadSymbolNames(symfile, names)) {
    qokit::SayCannotReadSymbolFile(symfile);
    return 1;
  }
  std::string bytes;
  if (!qokit::ReadWholeFile(objfile, bytes, qomsg::kMaxFileSize)) {
    qokit::SayCannotRead(tool.name, objfile);
    return 1;
  }
  qomsg::Catalog catalog;
  std::string why;
  if (const int rc = catalog.Load(bytes, why); rc != QOMSG_OK) {
    qokit::SayCannotLoad(objfile, qomsg_strerror(rc), why.c_str());
    return 1;
  }
  const bool faithful = qokit::WriteMessageSource(catalog, names, stdout, stderr);
  return qokit::FinishToolOutput(tool, faithful ? 0 : 1);
}
