// Compile times of files built elsewhere: the symbol file's _MSGSYM_TIMESTAMP
// text and the object file's compile date are 24-character `ctime` texts
// (time_text.h), rewritten in place to a fixed moment so that every length,
// column and checksum of the file stays valid.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qokit::stamp {

enum class StampKind { kObjectFile, kSymbolFile };

// Puts `time_text` (24 characters) in place of the compile time of a whole
// object file or symbol file held in `bytes`. Nothing when the bytes are
// neither, or hold no 24-character time text where the format has it.
std::optional<StampKind> RewriteCompileTime(std::string& bytes, std::string_view time_text);

}  // namespace qokit::stamp
