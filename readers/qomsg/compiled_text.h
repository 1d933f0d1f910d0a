// A message's compiled text taken apart (compiled_form.h has the layout,
// shared with the compiler), checked for what the reader can format.
#pragma once

#include <string>
#include <string_view>

#include "compiled_form.h"

namespace qokit::reader {

using Insert = qokit::format::FormInsert;
// N+1 literal pieces around the N inserts, in text order, as written in the
// source ("%%" stands for one "%" when printed).
using CompiledText = qokit::format::FormParts;

// Decodes `bytes` (views into them are kept) into `out`. A form that the
// compiler cannot write is malformed: every "%" of the literal text must be
// "%%" and every conversion one that printf reads as the insert scan does,
// with an argument of its recorded type's size. On a malformed form returns
// false with a description in `why` (CheckCompiledForm's).
bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why);

}  // namespace qokit::reader
