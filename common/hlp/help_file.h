// The binary help file: tables first, then the text.
//
// Every integer is canonical (most significant byte first, via commutil's
// SetTwo/SetFour), so the file reads the same on any processor. With
// n headings the file is:
//
//   offset                size      content
//   0                     6(n+1)    link table: canonical_linkentry, entry 0 first
//   6(n+1)                60n       table of contents: canonical_tocentry in source order
//   6(n+1)+60n = text_off ...       text (fixed-length records, or a byte stream
//                                   in the legacy variant)
//
// canonical_linkentry, 6 bytes:  0 clntid nfTwo | 2 tocndx nfTwo | 4 butndx nfTwo
// canonical_tocentry, 60 bytes:  0 type nfTwo | 2 sndx nfTwo | 4 offset nfFour |
//                                8 length nfFour | 12 butt_name 48 bytes, zero-filled
//
// There is no magic number, version or checksum: link entry 0 is the only header.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "help_tables.h"

inline constexpr std::size_t kLinkEntryBytes = 6;
inline constexpr std::size_t kTocEntryBytes = 60;
static_assert(table_bytes(1) == 72, "one heading leaves 72 bytes of tables");

using canonical_linkentry = std::array<unsigned char, kLinkEntryBytes>;
using canonical_tocentry = std::array<unsigned char, kTocEntryBytes>;

// The on-disk forms of one table record.
canonical_linkentry to_canonical(const linkentry& entry);
canonical_tocentry to_canonical(const tocentry& entry);

// Writes both tables at the start of f2, as many entries as link entry 0
// names (never more than the tables hold). The text is already in place
// behind them.
void write_struct();
