#include <string_view>

#include "help_messages.h"
#include "qokit/nls/nlsstr.h"
#include "vexproc.h"

int main(int argc, char** argv) {
  // Only as the one argument, which otherwise starts the dialogue.
  const std::string_view only = argc == 2 ? argv[1] : "";
  if (only == "--help" || only == "--version") {
    only == "--help" ? qokit::help::say_help(false) : qokit::help::say_version("vexproc", QOKIT_VERSION);
    return 0;
  }
  nlsInit();
  return qokit::help::vexproc_main(argc, argv);
}
