// The check of a translation against its base: both are the results of the
// lint of their sources, and every message of the base must be in the
// translation under the same symbol and number, with the same arguments
// (count, and per argument type and star count; for a plural message every
// form's, a form that leaves the count out taking it too), plural on both
// sides with the same count argument, or a client built against
// the base's symbol file asks for a message that is not there or passes
// arguments that its text does not take. Severities and responses may differ
// on purpose, so they are warnings. Meta-symbols are settings of each
// catalogue (a language's date format) and are not compared.
#pragma once

#include "check_messages.h"
#include "source_lint.h"

namespace qokit::check {

// Findings about the translation go to `out`: missing messages at the base
// entry, every other finding at the translated entry.
void CheckTranslation(const LintResult& base, const LintResult& translated, Findings& out);

}  // namespace qokit::check
