#include "help_messages.h"
#include "qokit/nls/nlsstr.h"
#include "vexproc_legacy.h"

int main(int argc, char** argv) {
  if (qokit::help::said_help_or_version(argc, argv, true, QOKIT_VERSION)) return 0;
  nlsInit();
  return qokit::help::vexproc_legacy_main(argc, argv);
}
