#include "qokit/nls/nlsstr.h"
#include "vexproc_legacy.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::help::vexproc_legacy_main(argc, argv);
}
