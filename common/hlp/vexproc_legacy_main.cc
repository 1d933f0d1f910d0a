#include "nlsstr.h"
#include "vexproc_legacy.h"

int main(int argc, char** argv) {
  nlsInit();
  return vexproc_legacy_main(argc, argv);
}
