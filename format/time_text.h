// The compile time that the symbol file and the object file record: a text
// of 24 characters as the C library's ctime prints it, such as
// "Thu Jan  1 00:00:00 1970". For a reproducible build the moment comes from
// SOURCE_DATE_EPOCH and is printed in UTC, so two builds of the same sources
// give the same bytes whatever the builder's time zone.
#pragma once

#include <array>
#include <cstddef>
#include <ctime>
#include <optional>
#include <string_view>

namespace qokit::format {

inline constexpr std::size_t kTimeTextLength = 24;

// Seconds since the epoch from a SOURCE_DATE_EPOCH value: decimal digits
// only, and a moment whose year has four digits (so its text keeps 24
// characters). Nothing for anything else, the empty text included.
std::optional<std::time_t> ParseEpoch(std::string_view text);

// The moment as ctime prints it, in UTC, without the line end and
// NUL-terminated; the same in every locale.
std::array<char, kTimeTextLength + 1> UtcTimeText(std::time_t when);

}  // namespace qokit::format
