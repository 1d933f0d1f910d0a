// The vexproc driver: names and line length, open, count, prolog, text,
// listing and tables, close, summary.
#pragma once

namespace qokit::help {

// Runs one compilation with the program's arguments. Everything is reported
// on standard output; the result, the exit status, is always 0.
int vexproc_main(int argc, char** argv);

}  // namespace qokit::help
