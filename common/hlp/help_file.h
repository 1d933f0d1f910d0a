// Writing the help file's two tables in canonical form (help_format.h has
// the layout), once the text behind them is in place.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "help_format.h"
#include "help_tables.h"

namespace qokit::help {

// The on-disk forms of one table record.
canonical_linkentry to_canonical(const linkentry& entry);
canonical_tocentry to_canonical(const tocentry& entry);

// Writes both tables at the start of f2, as many entries as link entry 0
// names (never more than the tables hold). The text is already in place
// behind them.
void write_struct();

}  // namespace qokit::help
