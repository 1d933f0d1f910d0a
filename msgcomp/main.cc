// qogenmsg: compiles message sources into a symbol header and a message object file.
#include "driver.h"
#include "qokit/nls/nlsstr.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::msgcomp::RunMessageCompiler(argc, argv);
}
