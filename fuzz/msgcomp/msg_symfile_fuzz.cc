// The symbol-file reader on arbitrary files.
//
// Properties: the reader answers 0 or -1 and never leaves a half-read table
// behind a 0; what it accepts, written out again and read back, is the same
// table with the same checksum.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "compiler_fixture.h"
#include "symfile.h"

using namespace qokit::msgcomp;

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  CHECK(f != nullptr);
  CHECK(std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompilerFixture fixture({});
  MsgCompilerState& st = fixture.state();
  const std::string path = ScratchPath("read.h");
  WriteFile(path, data, size);
  st.symFileName = path.c_str();
  const int result = ReadSymbolFile();
  CHECK(result == 0 || result == -1);
  if (result != 0) return 0;

  for (const MsgSymbol* s = st.symList; s != nullptr; s = s->next) {
    CHECK(s->msgNum >= 1);
    CHECK(std::strlen(s->name) <= kMaxSymbolLen);
    CHECK(s->next == nullptr || s->next->msgNum >= s->msgNum);
  }
  const std::string table = TableSnapshot();
  const int32_t checksum = st.checksum;
  CHECK(checksum == ComputeChecksum());

  const std::string again = ScratchPath("again.h");
  FILE* out = std::fopen(again.c_str(), "w");
  CHECK(out != nullptr);
  CHECK(WriteSymbolText(out, "Thu Jan  1 00:00:00 1970"));
  CHECK(std::fclose(out) == 0);
  FreeSymbolTable();
  st.symFileName = again.c_str();
  CHECK(ReadSymbolFile() == 0);
  CHECK(TableSnapshot() == table);
  CHECK(st.checksum == checksum);
  std::remove(again.c_str());
  return 0;
}
