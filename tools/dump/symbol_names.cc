#include "symbol_names.h"

#include <cstdio>
#include <cstdlib>

#include "file_bytes.h"
#include "symfile_format.h"
#include "unique_file.h"

namespace qokit::dump {

bool ReadSymbolNames(const char* path, std::map<long, std::string>& names) {
  io::UniqueFile file(io::OpenInputFile(path, "r"));
  if (file == nullptr) return false;
  (void)msgcomp::ForEachDefine(file.get(), [&](long, const char* name, const char* value) {
    char* end = nullptr;
    const long number = std::strtol(value, &end, 10);
    if (msgcomp::ClassifyDefine(name) == msgcomp::DefineKind::kSymbol && number > 0 && *end == '\0') names.emplace(number, name);
    return 0;
  });
  return !std::ferror(file.get());
}

}  // namespace qokit::dump
