// The interactive dialogue of vexproc: file names, line length, confirmation.
#pragma once

#include "help_session.h"
#include "help_syntax.h"

namespace qokit::help {

// True for a usable line length; otherwise says so (one line) and returns false.
[[nodiscard]] bool check_line_size(long value);

// Asks for the input and output names and the line length until they are
// confirmed; on kGoOn both names are non-empty and different and linesize is
// set. kEndRun after the fourth refused output name or at the end of input.
[[nodiscard]] Flow getfiles(NameBuffer& infile, NameBuffer& outfile);

}  // namespace qokit::help
