// The legacy tagged help source through the legacy compiler, then the help
// file through the client reader.
//
// Properties: the legacy compiler reports no errors; when it reached every
// heading it counted (tags closed by their own letter), the reader accepts
// the file with the compiler's own tables. Mismatched tags leave table
// entries empty, which the reader may refuse, but never a crash.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "help_file.h"
#include "help_fixture.h"
#include "legacy_source.h"
#include "struct_listing.h"

using namespace qokit::help;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HelpFixture fixture(std::string(reinterpret_cast<const char*>(data), size), 72);
  if (!count_legacy_headings() || !init_legacy_struct()) return 0;
  process_legacy_source();
  static FILE* const sink = std::fopen("/dev/null", "w");
  write_listing(sink, LinkColumns::kThreeWide);
  write_struct();
  const std::string bytes = fixture.HelpBytes();
  CHECK(bytes.size() >= helpState.text_off);
  if (helpState.link_ndx == static_cast<uint32_t>(helpState.help_rec_cnt) + 1) {
    HelpFixture::CheckReadBack(bytes, QOHLP_LEGACY);
  } else {
    HelpFixture::TryReadBack(bytes, QOHLP_LEGACY);
  }
  return 0;
}
