// The legacy tagged help source through the legacy compiler, then the help
// file through the client reader.
//
// Properties: the legacy compiler counts no errors, so every source it
// finishes must give a file the reader accepts with the compiler's own tables.
#include <cstdint>
#include <string>

#include "help_file.h"
#include "help_fixture.h"
#include "legacy_source.h"
#include "struct_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HelpFixture fixture(std::string(reinterpret_cast<const char*>(data), size), 72);
  if (!count_legacy_headings() || !init_legacy_struct()) return 0;
  process_legacy_source();
  static FILE* const sink = std::fopen("/dev/null", "w");
  write_listing(sink, LinkColumns::kThreeWide);
  write_struct();
  const std::string bytes = fixture.HelpBytes();
  Check(bytes.size() >= text_off);
  HelpFixture::CheckReadBack(bytes, QOHLP_LEGACY);
  return 0;
}
