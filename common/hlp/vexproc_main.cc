#include "qokit/nls/nlsstr.h"
#include "vexproc.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::help::vexproc_main(argc, argv);
}
