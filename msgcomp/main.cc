// qogenmsg: compiles message sources into a symbol header and a message object file.
#include <string_view>

#include "driver.h"
#include "messages.h"
#include "qokit/nls/nlsstr.h"

int main(int argc, char** argv) {
  // Only as the one argument: there the compiler's own command line has
  // nothing but "Too few arguments".
  const std::string_view only = argc == 2 ? argv[1] : "";
  if (only == "--help" || only == "--version") {
    only == "--help" ? qokit::msgcomp::SayHelp() : qokit::msgcomp::SayVersion(QOKIT_VERSION);
    return 0;
  }
  nlsInit();
  return qokit::msgcomp::RunMessageCompiler(argc, argv);
}
