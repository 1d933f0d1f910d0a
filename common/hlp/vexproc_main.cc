#include "help_messages.h"
#include "qokit/nls/nlsstr.h"
#include "vexproc.h"

int main(int argc, char** argv) {
  if (qokit::help::said_help_or_version(argc, argv, false, QOKIT_VERSION)) return 0;
  nlsInit();
  return qokit::help::vexproc_main(argc, argv);
}
