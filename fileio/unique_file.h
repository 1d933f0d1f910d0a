// An owned C stream, closed when its owner goes, so no early return can leak
// it. Shared by every module that opens a file for reading.
#pragma once

#include <cstdio>
#include <memory>

namespace qokit::io {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace qokit::io
