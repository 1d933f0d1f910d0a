// vexdump: prints a help file's tables and sections and checks them.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "file_bytes.h"
#include "helpdump.h"
#include "helpfile.h"
#include "nlsstr.h"
#include "qohlp.h"

namespace {

void Usage(std::FILE* to) {
  std::fputs("Usage: vexdump [--legacy] HELPFILE\n"
             "Print a help file's tables and sections and check their consistency.\n\n"
             "      --legacy   the file has the legacy layout (text as a byte stream)\n"
             "      --help     show this help and exit\n"
             "      --version  show the version and exit\n",
             to);
}

}  // namespace

int main(int argc, char** argv) {
  nlsInit();
  int layout = QOHLP_CURRENT;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (nls.nlsStrCmp(arg, "--help") == 0) {
      Usage(stdout);
      return 0;
    }
    if (nls.nlsStrCmp(arg, "--version") == 0) {
      std::printf("vexdump (qokit) %s\n", QOKIT_VERSION);
      return 0;
    }
    if (nls.nlsStrCmp(arg, "--legacy") == 0) {
      layout = QOHLP_LEGACY;
    } else if (arg[0] == '-' || path != nullptr) {
      std::fprintf(stderr, "vexdump: unexpected argument %s\n", arg);
      Usage(stderr);
      return 2;
    } else {
      path = arg;
    }
  }
  if (path == nullptr) {
    Usage(stderr);
    return 2;
  }
  std::string bytes;
  if (!qokit::ReadWholeFile(path, bytes, qohlp::kMaxFileSize)) {
    std::fprintf(stderr, "vexdump: cannot read %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  const bool consistent = qokit::DumpHelpFile(bytes, layout, path, stdout, stderr) == 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "vexdump: cannot write the output\n");
    return 1;
  }
  return consistent ? 0 : 1;
}
