// Insert checking of message texts and their compiled form. What an insert
// is and what its conversion means is defined in insert_syntax.h, the
// compiled form's layout in compiled_form.h.
#pragma once

#include <cstddef>

#include "insert_syntax.h"

namespace qokit::msgcomp {

inline constexpr int kMaxArgumentNumber = qokit::format::kMaxArgumentNumber;

// First-pass check of one text; on success raises msgState's maxInserts and
// maxSpecLen. 0, or 1 after a message preceded by the reader's position.
[[nodiscard]] int CheckInserts(const char* text);

// Room that the compiled form of a text of textLen bytes can need, given the
// run's maxInserts.
size_t CompiledSizeBound(size_t textLen);

// Writes the compiled form of a text that passed CheckInserts into buffer
// (capacity bytes); its length, or 0 on failure (message printed for the
// failures the first pass cannot see).
[[nodiscard]] size_t CompileMessageText(const char* text, unsigned char* buffer, size_t capacity);
// The same without a word on a failure, for a pass that compiles early and
// leaves reporting to a second pass.
[[nodiscard]] size_t CompileMessageTextQuietly(const char* text, unsigned char* buffer, size_t capacity);

}  // namespace qokit::msgcomp
