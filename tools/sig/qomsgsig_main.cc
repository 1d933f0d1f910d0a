// qomsgsig: writes the companion header of a symbol file, with checked calls
// and the argument signatures for a checked open of the catalogue.
#include "qokit/nls/nlsstr.h"
#include "signature_command.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::sig::RunSignatureCommand(argc, argv);
}
