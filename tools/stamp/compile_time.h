// Reproducible compile times: the symbol file's _MSGSYM_TIMESTAMP text and
// the object file's compile date are 24-character `ctime` texts written by the
// compiler from the clock. For a reproducible build they are rewritten in
// place to a fixed moment (SOURCE_DATE_EPOCH), printed in UTC in the same
// form, so every length, column and checksum of the file stays valid.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "object_format.h"

namespace qokit::stamp {

inline constexpr std::size_t kTimeTextLength = qokit::format::kCompDateTextLength;

// Seconds since the epoch from a SOURCE_DATE_EPOCH value: decimal digits
// only, and a moment whose year has four digits (so its text keeps 24
// characters). Nothing for anything else.
std::optional<std::time_t> ParseEpoch(std::string_view text);

// The moment as `ctime` prints it, in UTC and without the line end, such as
// "Thu Jan  1 00:00:00 1970"; independent of the locale.
std::string UtcTimeText(std::time_t when);

enum class StampKind { kObjectFile, kSymbolFile };

// Puts `time_text` (24 characters) in place of the compile time of a whole
// object file or symbol file held in `bytes`. Nothing when the bytes are
// neither, or hold no 24-character time text where the format has it.
std::optional<StampKind> RewriteCompileTime(std::string& bytes, std::string_view time_text);

}  // namespace qokit::stamp
