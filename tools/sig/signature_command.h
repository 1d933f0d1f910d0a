// The qomsgsig command line and one run of it:
//   qomsgsig SYMBOLFILE HEADER PREFIX SOURCE...
// writes the companion header of the symbol file (signature_header.h) from
// the base message sources, and rewrites it only when its text changed, so
// an unchanged one triggers no rebuild of its clients. The companion
// includes the symbol file by its file name, so it belongs beside it.
#pragma once

namespace qokit::sig {

// The exit status of qomsgsig for a command line: 0 written or unchanged, 1
// after a fault of the sources or the output, 2 for usage errors.
[[nodiscard]] int RunSignatureCommand(int argc, char** argv);

}  // namespace qokit::sig
