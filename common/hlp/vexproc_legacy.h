// The vexproc-legacy driver: a one-pass dialogue (or two names on the command
// line), then the byte-stream compilation; the listing goes only to "struct.doc".
#pragma once

namespace qokit::help {

// Runs one compilation with the program's arguments; the result, the exit
// status, is always 0.
int vexproc_legacy_main(int argc, char** argv);

}  // namespace qokit::help
