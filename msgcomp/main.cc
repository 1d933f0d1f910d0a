// qogenmsg: compiles message sources into a symbol header and a message object file.
#include "driver.h"
#include "nlsstr.h"

int main(int argc, char** argv) {
  nlsInit();
  return RunMessageCompiler(argc, argv);
}
