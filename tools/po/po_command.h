// The qomsgpo command line: export message sources to a PO file, import a
// translated PO file as a message source.
#pragma once

namespace qokit::po {

// Runs one command and returns the exit status: 0, 1 after an error of the
// sources or the output, 2 after a usage error.
// Output is written only when the command succeeded.
[[nodiscard]] int RunPoTool(int argc, char** argv, const char* version);

}  // namespace qokit::po
