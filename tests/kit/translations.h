// Catalogues compiled by the real qogenmsg for the checked-loading tests: a
// base catalogue and translations compiled against its symbol file, as a
// project's build makes them.
#pragma once

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace kittest {

// The base messages every translation of the tests translates.
inline constexpr char kBaseSource[] =
    "1 I FILES \"@1%d files in @2%s\"\n"
    "2 W PADDED \"@1%*d items\"\n"
    "3 I READY \"Ready.\"\n";

class Translations {
 public:
  // Compiles kBaseSource into base.h and base.obj.
  Translations();

  // The object file of `source` compiled against base.h (same mapping).
  std::filesystem::path Translate(const std::string& name, const std::string& source) const;
  // The object file of `source` compiled with a symbol file of its own.
  std::filesystem::path OwnMapping(const std::string& name, const std::string& source) const;

  std::filesystem::path base() const { return dir_ / "base.obj"; }
  long checksum() const { return checksum_; }

 private:
  TempDir dir_;
  long checksum_ = 0;
};

}  // namespace kittest
