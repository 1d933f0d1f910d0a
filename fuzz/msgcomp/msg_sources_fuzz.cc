// The message source parser over one to fifteen sources cut where the fuzzer
// says, and the first pass with the symbol file built from its result.
//
// Properties: every record respects the field limits; the sources read as
// one stream, so the records do not depend on where the cuts fall; and a
// table that the first pass accepts survives the symbol file: written out and
// read back it is the same table with the same checksum, and the sources then
// agree with it (no mapping change); and the object file compiled from them
// reads back through the client reader.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "fuzz_check.h"
#include "merge_sources.h"
#include "objfile.h"
#include "qokit/qomsg.h"
#include "source_reader.h"
#include "symfile.h"

using namespace qokit::msgcomp;

namespace {

struct Pass {
  std::vector<std::string> records;  // contents only, not where they came from
  int result = 0;
};

Pass ReadAll(const std::vector<std::string_view>& sources) {
  CompilerFixture fixture(sources);
  RewindSources();
  Pass pass;
  MessageRecord r;
  while ((pass.result = ReadMessage(r)) == 0) {
    CHECK(r.msgNum >= 0 && r.msgNum <= kMaxMsgNum);
    CHECK(r.severity >= 0 && r.severity <= 8);
    CHECK(std::strlen(r.symbol) >= 1 && std::strlen(r.symbol) <= kMaxSymbolLen);
    CHECK(std::strlen(r.text) <= static_cast<size_t>(kMaxTextLen));
    CHECK(std::strlen(r.response) <= static_cast<size_t>(kMaxResponseLen));
    CHECK(r.srcIndex >= 0 && r.srcIndex < static_cast<int32_t>(sources.size()));
    CHECK(r.line >= 1 && r.line <= 1 + static_cast<long>(sources[r.srcIndex].size()));
    pass.records.push_back(std::to_string(r.msgNum) + " " + std::to_string(r.severity) + " " + r.symbol +
                           " [" + r.response + "] " + r.text);
  }
  CHECK(pass.result == -1 || pass.result == 1);
  return pass;
}

void CheckSymbolFileRoundTrip(const std::vector<std::string_view>& sources) {
  CompilerFixture fixture(sources);
  if (MergeSources() != 0) return;
  MsgCompilerState& st = fixture.state();
  // An empty mapping is never written (gensym has nothing to record).
  if (st.symList == nullptr) return;
  const std::string table = TableSnapshot();
  const int32_t checksum = st.checksum;
  CHECK(checksum == ComputeChecksum());

  const std::string path = ScratchPath("symfile.h");
  FILE* out = std::fopen(path.c_str(), "w");
  CHECK(out != nullptr);
  CHECK(WriteSymbolText(out, "Thu Jan  1 00:00:00 1970"));
  CHECK(std::fclose(out) == 0);

  FreeSymbolTable();
  st.checksum = 0;
  st.symFileName = path.c_str();
  CHECK(ReadSymbolFile() == 0);
  CHECK(TableSnapshot() == table);
  CHECK(st.checksum == checksum);
  CHECK(MergeSources() == 0);
  CHECK(st.mappingChanged == 0);

  // The object file from the same sources and symbol file: when genobj
  // succeeds (its second pass may still refuse a conversion, a format code or
  // a catalogue too big to index), the client reader accepts the file, with
  // every message of the table and the symbol file's checksum.
  std::vector<int32_t> numbers;
  for (const MsgSymbol* s = st.symList; s != nullptr; s = s->next) numbers.push_back(s->msgNum);
  FreeSymbolTable();
  const std::string objPath = ScratchPath("msgs.obj");
  st.objFileName = objPath.c_str();
  if (GenerateObjectFile() == 0) {
    qomsg_catalog* catalog = nullptr;
    char detail[256] = "";
    const int opened = qomsg_open_file(objPath.c_str(), &catalog, detail, sizeof detail);
    if (opened != QOMSG_OK) std::fprintf(stderr, "reader refused the object file: %s\n", detail);
    CHECK(opened == QOMSG_OK);
    qomsg_info info;
    CHECK(qomsg_get_info(catalog, &info) == QOMSG_OK);
    CHECK(info.checksum == checksum);
    CHECK(info.msg_count == static_cast<long>(numbers.size()));
    for (int32_t number : numbers) {
      qomsg_message message;
      CHECK(qomsg_lookup(catalog, number, &message) == QOMSG_OK);
    }
    qomsg_close(catalog);
  }
  std::remove(objPath.c_str());
  std::remove(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const int count = provider.ConsumeIntegralInRange<int>(1, kMaxSourceFiles);
  std::vector<size_t> lengths;
  for (int i = 1; i < count; ++i) lengths.push_back(provider.ConsumeIntegralInRange<size_t>(0, 64));
  const std::string whole = provider.ConsumeRemainingBytesAsString();

  std::vector<std::string_view> pieces;
  size_t at = 0;
  for (size_t length : lengths) {
    const size_t take = std::min(length, whole.size() - at);
    pieces.push_back(std::string_view(whole).substr(at, take));
    at += take;
  }
  pieces.push_back(std::string_view(whole).substr(at));

  const Pass split = ReadAll(pieces);
  if (pieces.size() > 1) {
    const Pass single = ReadAll({whole});
    CHECK(split.result == single.result);
    CHECK(split.records == single.records);
  }
  if (split.result == -1) CheckSymbolFileRoundTrip(pieces);
  return 0;
}
