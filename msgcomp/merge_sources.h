// The first pass over the message sources: every entry is entered into the
// symbol table and its text checked, duplicates are reported with file and
// line, and the pass decides whether the sources' symbol mapping differs from
// the one read back from the symbol file (mappingChanged).
#pragma once

// 0; -1 after syntax errors or duplicates (the counters are cleared); 1 when
// a text failed the insert check.
[[nodiscard]] int MergeSources();
