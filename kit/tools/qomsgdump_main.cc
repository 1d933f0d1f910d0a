// qomsgdump: prints a message object file back as message source text.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "catalog.h"
#include "file_bytes.h"
#include "msgdump.h"
#include "nlsstr.h"
#include "symbol_names.h"

namespace {

void Usage(std::FILE* to) {
  std::fputs("Usage: qomsgdump [-s SYMFILE] OBJFILE\n"
             "Print a message object file as message source text.\n\n"
             "  -s, --symbols SYMFILE  take the message symbols from a symbol file\n"
             "      --help             show this help and exit\n"
             "      --version          show the version and exit\n",
             to);
}

}  // namespace

int main(int argc, char** argv) {
  nlsInit();
  const char* symfile = nullptr;
  const char* objfile = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (nls.nlsStrCmp(arg, "--help") == 0) {
      Usage(stdout);
      return 0;
    }
    if (nls.nlsStrCmp(arg, "--version") == 0) {
      std::printf("qomsgdump (qokit) %s\n", QOKIT_VERSION);
      return 0;
    }
    if ((nls.nlsStrCmp(arg, "-s") == 0 || nls.nlsStrCmp(arg, "--symbols") == 0) && i + 1 < argc) {
      symfile = argv[++i];
    } else if (arg[0] == '-' || objfile != nullptr) {
      std::fprintf(stderr, "qomsgdump: unexpected argument %s\n", arg);
      Usage(stderr);
      return 2;
    } else {
      objfile = arg;
    }
  }
  if (objfile == nullptr) {
    Usage(stderr);
    return 2;
  }
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
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "qomsgdump: cannot write the output\n");
    return 1;
  }
  return faithful ? 0 : 1;
}
