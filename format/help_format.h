// The binary help file's layout, one definition for its writers (the help
// compilers) and its reader (the qohlp library).
//
// Every integer is canonical (most significant byte first; the compilers
// write them with commutil's SetTwo/SetFour), so the file reads the same on any processor. With
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
// Link entry 0 describes the file: the number of link entries, the number of
// TOC entries, and the line length (legacy: the button count). There is no
// magic number, version or checksum: link entry 0 is the only header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "byte_order.h"

namespace qokit::format {

inline constexpr std::size_t kButtonNameMax = 48;
// The heading count is kept in a signed 16-bit field by older readers.
inline constexpr long kMaxHeadings = 32767;
inline constexpr std::size_t kLinkEntryBytes = 6;
inline constexpr std::size_t kTocEntryBytes = 60;

// Field offsets within the canonical records.
inline constexpr std::size_t kLinkClntid = 0, kLinkTocndx = 2, kLinkButndx = 4;
inline constexpr std::size_t kTocType = 0, kTocSndx = 2, kTocOffset = 4, kTocLength = 8, kTocButtName = 12;
static_assert(kLinkButndx + 2 == kLinkEntryBytes, "a link entry is three nfTwo");
static_assert(kTocButtName + kButtonNameMax == kTocEntryBytes, "the button name ends the TOC entry");

// Room at the start of the help file for the two tables of `headings` headings.
constexpr uint32_t table_bytes(uint32_t headings) {
  return static_cast<uint32_t>(kLinkEntryBytes * (headings + 1) + kTocEntryBytes * headings);
}
static_assert(table_bytes(1) == 72, "one heading leaves 72 bytes of tables");

struct linkentry {
  uint16_t clntid;  // entry 0: number of link entries; else first link number
  uint16_t tocndx;  // entry 0: number of TOC entries; else index of the TOC entry
  uint16_t butndx;  // entry 0: line length (legacy: button count); else second link number
};

// TOC entry types: the tag of the heading line; the legacy layout also has
// kTagT and kTagE, and 0 for a heading whose closing tag was missing.
inline constexpr uint16_t kMajorHeading = 1, kSubheading = 2, kTagT = 3, kTagE = 4;

struct tocentry {
  uint16_t type;    // 1 "$H", 2 "$S" (legacy also 3 "$T", 4 "$E"); 0 for an invalid heading
  uint16_t sndx;    // next subheading under the same major heading; 0 for none
  uint32_t offset;  // byte offset of the section's text in the help file
  uint32_t length;  // section length: text records (legacy: bytes)
  char butt_name[kButtonNameMax];  // zero-filled; a 48-byte name has no terminator
};

using canonical_linkentry = std::array<unsigned char, kLinkEntryBytes>;
using canonical_tocentry = std::array<unsigned char, kTocEntryBytes>;

// The in-memory records read back from their canonical forms (`at` points at
// a whole record).
inline uint16_t canonical_two(const unsigned char* at) { return GetBe16(at); }

inline uint32_t canonical_four(const unsigned char* at) { return GetBe32(at); }

inline linkentry from_canonical_link(const unsigned char* at) {
  return {canonical_two(at + kLinkClntid), canonical_two(at + kLinkTocndx), canonical_two(at + kLinkButndx)};
}

inline tocentry from_canonical_toc(const unsigned char* at) {
  tocentry entry{canonical_two(at + kTocType), canonical_two(at + kTocSndx), canonical_four(at + kTocOffset),
                 canonical_four(at + kTocLength), {}};
  std::memcpy(entry.butt_name, at + kTocButtName, kButtonNameMax);
  return entry;
}

// The button name as a string of at most 48 bytes (the field may lack a terminator).
inline int butt_name_len(const tocentry& entry) {
  std::size_t n = 0;
  while (n < kButtonNameMax && entry.butt_name[n] != '\0') ++n;
  return static_cast<int>(n);
}

}  // namespace qokit::format
