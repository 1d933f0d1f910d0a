// The line every program of the kit prints for --version.
#pragma once

#include <string>
#include <string_view>

namespace qokit::format {

// "PROGRAM (qokit) VERSION" and its line end.
inline std::string VersionLine(std::string_view program, std::string_view version) {
  return std::string(program).append(" (qokit) ").append(version).append(1, '\n');
}

}  // namespace qokit::format
