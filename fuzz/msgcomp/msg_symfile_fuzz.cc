// The symbol-file reader on arbitrary files.
//
// Properties: the reader answers 0 or -1 and never leaves a half-read table
// behind a 0; what it accepts, written out again and read back, is the same
// table with the same checksum.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "compiler_fixture.h"
#include "symfile.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr);
  Check(std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompilerFixture fixture({});
  MsgCompilerState& st = fixture.state();
  const std::string path = ScratchPath("read.h");
  WriteFile(path, data, size);
  st.symFileName = path.c_str();
  const int result = ReadSymbolFile();
  Check(result == 0 || result == -1);
  if (result != 0) return 0;

  for (const MsgSymbol* s = st.symList; s != nullptr; s = s->next) {
    Check(s->msgNum >= 1);
    Check(std::strlen(s->name) <= kMaxSymbolLen);
    Check(s->next == nullptr || s->next->msgNum >= s->msgNum);
  }
  const std::string table = TableSnapshot();
  const int32_t checksum = st.checksum;
  Check(checksum == ComputeChecksum());

  const std::string again = ScratchPath("again.h");
  FILE* out = std::fopen(again.c_str(), "w");
  Check(out != nullptr);
  Check(WriteSymbolText(out, "Thu Jan  1 00:00:00 1970"));
  Check(std::fclose(out) == 0);
  FreeSymbolTable();
  st.symFileName = again.c_str();
  Check(ReadSymbolFile() == 0);
  Check(TableSnapshot() == table);
  Check(st.checksum == checksum);
  std::remove(again.c_str());
  return 0;
}
