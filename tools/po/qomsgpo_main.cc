// qomsgpo: message sources to PO files for translators, and back.
#include "qokit/nls/nlsstr.h"
#include "po_command.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::po::RunPoTool(argc, argv, QOKIT_VERSION);
}
