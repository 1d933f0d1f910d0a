// Insert checking of message texts and the compiled form of a text.
//
// What an insert is and what its conversion means is defined once, in
// insert_syntax.h. Compiled form:
//   flag 1 (inserts in argument order 1..N, or none): 0x01, then the text as
//     one printf format (each "@n" left out), NUL-terminated.
//   flag 0: 0x00, N, the position map (byte k = text position of the insert
//     showing argument k+1), per insert in text order: star count, type code
//     (0 pointer/string, 1 int, 2 long, 3 double), the directive and a NUL;
//     then the N+1 literal pieces around the inserts, each NUL-terminated.
// In both forms the literal text holds a percent sign only as "%%".
#pragma once

#include <cstddef>

#include "insert_syntax.h"

inline constexpr int kMaxArgumentNumber = msgtext::kMaxArgumentNumber;

// First-pass check of one text; on success raises msgState's maxInserts and
// maxSpecLen. 0, or 1 after a message preceded by the reader's position.
[[nodiscard]] int CheckInserts(const char* text);

// Room that the compiled form of a text of textLen bytes can need, given the
// run's maxInserts.
size_t CompiledSizeBound(size_t textLen);

// Writes the compiled form of a text that passed CheckInserts into buffer
// (capacity bytes); its length, or 0 on failure (message printed for the
// failures the first pass cannot see).
size_t CompileMessageText(const char* text, unsigned char* buffer, size_t capacity);
