// Whether two names reach one file, for the programs that must not write
// their output over one of their inputs: names are compared as given and,
// when both exist, by device and inode, so "a.msg", "./a.msg" and a link
// to it are one file.
#pragma once

namespace qokit::io {

bool IsSameFile(const char* a, const char* b);

}  // namespace qokit::io
