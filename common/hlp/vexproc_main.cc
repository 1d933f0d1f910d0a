#include "nlsstr.h"
#include "vexproc.h"

int main(int argc, char** argv) {
  nlsInit();
  return vexproc_main(argc, argv);
}
