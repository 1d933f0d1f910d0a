// The tagged help source through the help compiler, with a fuzzer-chosen line
// length, then the help file through the client reader.
//
// Properties: a compile that counts no error writes a file of exactly the
// tables plus whole text records, and the reader accepts it with the
// compiler's own tables.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "help_file.h"
#include "help_fixture.h"
#include "struct_listing.h"
#include "tagged_source.h"

using namespace qokit::help;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const int line_size = provider.ConsumeIntegralInRange<int>(1, 300);
  HelpFixture fixture(provider.ConsumeRemainingBytesAsString(), line_size);
  if (!count_help_recs() || init_struct() != 1) return 0;
  process_tags();
  if (helpState.errors != 0) return 0;
  static FILE* const sink = std::fopen("/dev/null", "w");
  write_listing(sink, LinkColumns::kThreeWide);
  write_struct();
  const std::string bytes = fixture.HelpBytes();
  CHECK(bytes.size() >= helpState.text_off);
  CHECK((bytes.size() - helpState.text_off) % static_cast<size_t>(line_size) == 0);
  HelpFixture::CheckReadBack(bytes, QOHLP_CURRENT);
  return 0;
}
