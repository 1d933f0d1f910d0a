// qomsgcheck: checks message sources, and a translation against its base,
// for every fault the message compiler would refuse and what is likely wrong.
#include "check_command.h"
#include "qokit/nls/nlsstr.h"

int main(int argc, char** argv) {
  nlsInit();
  return qokit::check::RunMessageChecker(argc, argv);
}
