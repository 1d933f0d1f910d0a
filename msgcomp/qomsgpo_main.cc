// qomsgpo: message sources to PO files for translators, and back.
#include "nlsstr.h"
#include "po_command.h"

int main(int argc, char** argv) {
  nlsInit();
  return RunPoTool(argc, argv, QOKIT_VERSION);
}
