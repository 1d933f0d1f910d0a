// Whole-file reading shared by the kit's readers.
#pragma once

#include <string>

namespace qokit {

// Reads the whole file at `path` into `bytes`; false (errno set) on failure.
bool ReadWholeFile(const char* path, std::string& bytes);

}  // namespace qokit
