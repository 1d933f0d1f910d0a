// A PO file of arbitrary bytes through the PO reader, the PO writer and the
// import, with a small fixed base source and without one.
//
// Properties: entries the reader accepts, written by the kit's writer, read
// back as the same entries. An import that succeeds writes a message source
// that the compiler's parser reads to its end without a syntax error; with
// the base it holds every base message in the base's order with its number,
// severity, symbol and response, and each text takes the arguments the base
// text takes, so the catalogue built from it fits the clients built with the
// base.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "compiler_fixture.h"
#include "fuzz_check.h"
#include "po_file.h"
#include "po_import.h"
#include "signature.h"
#include "source_reader.h"

using namespace qokit::msgcomp;

namespace {

// The base of the import, a catalogue with a meta-symbol, stars, a response
// and a text longer than a line.
constexpr std::string_view kBase =
    "0 I DATEFORMAT \"2\"\n"
    "1 I FILES    \"@1%d files in @2%s\"\n"
    "2 W WIDTH    \"Value @1%*d of @2%s\"\n"
    "3 K ASK [yn] \"Replace @1%s? (y/n) \"\n"
    "4 E LONG     \"A long message text that gettext's writer and the source writer both have to split over \"\n"
    "             \"several lines: @1%s.\"\n"
    "5 I DONE     \"Done: 100%%\"\n"
    "6 W SIZES    \"@2%-8.3ld bytes of @1%.*s, @3%5.1f%%\"\n";

void WriteScratch(const std::string& path, std::string_view bytes) {
  FILE* out = std::fopen(path.c_str(), "wb");
  CHECK(out != nullptr);
  CHECK(std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size());
  CHECK(std::fclose(out) == 0);
}

bool SameEntry(const qokit::po::PoEntry& a, const qokit::po::PoEntry& b) {
  return a.comments == b.comments && a.extracted == b.extracted && a.references == b.references &&
         a.flags == b.flags && a.has_context == b.has_context && a.context == b.context && a.msgid == b.msgid &&
         a.has_plural == b.has_plural && a.msgid_plural == b.msgid_plural && a.msgstr == b.msgstr;
}

void CheckRoundTrip(std::string_view text) {
  std::vector<qokit::po::PoEntry> entries;
  qokit::po::PoSyntaxError error;
  if (!qokit::po::ReadPo(text, entries, error)) {
    CHECK(error.line >= 1);
    return;
  }
  std::string written;
  for (const qokit::po::PoEntry& entry : entries) {
    if (!written.empty()) written.append(1, '\n');
    qokit::po::WritePoEntry(written, entry);
  }
  std::vector<qokit::po::PoEntry> again;
  if (!qokit::po::ReadPo(written, again, error)) {
    std::fprintf(stderr, "the writer's PO text is refused at line %ld (%s):\n%s", error.line, error.what.c_str(),
                 written.c_str());
    std::abort();
  }
  CHECK(again.size() == entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!SameEntry(entries[i], again[i])) std::fprintf(stderr, "entry %zu changed:\n%s", i, written.c_str());
    CHECK(SameEntry(entries[i], again[i]));
  }
}

// Every entry of a source, or a syntax error (the parser's message printed).
bool ParseSource(std::string_view source, std::vector<MessageRecord>& records) {
  CompilerFixture fixture({source});
  RewindSources();
  MessageRecord record;
  int read;
  while ((read = ReadMessage(record)) == 0) records.push_back(record);
  if (read != -1) std::fprintf(stderr, "the import wrote a source with a syntax error:\n%.*s",
                               static_cast<int>(source.size()), source.data());
  return read == -1;
}

void CheckImportWithBase(const std::string& po_path, const std::string& base_path,
                         const std::vector<MessageRecord>& base) {
  const char* const names[] = {base_path.c_str()};
  std::string out;
  if (qokit::po::ImportPo(po_path.c_str(), names, {}, out) != 0) return;
  std::vector<MessageRecord> records;
  CHECK(ParseSource(out, records));
  CHECK(records.size() == base.size());
  for (size_t i = 0; i < base.size(); ++i) {
    const MessageRecord& b = base[i];
    const MessageRecord& r = records[i];
    CHECK(r.msgNum == b.msgNum && r.severity == b.severity);
    CHECK(std::string_view(r.symbol) == b.symbol && std::string_view(r.response) == b.response);
    if (b.msgNum == 0) continue;
    std::string want, got;
    CHECK(qokit::format::TextSignature(b.text, want));
    if (!qokit::format::TextSignature(r.text, got)) std::fprintf(stderr, "imported text unsound: \"%s\"\n", r.text);
    CHECK(qokit::format::CompareSignatures(want, got).kind == qokit::format::SignatureDifference::Kind::kNone);
  }
}

void CheckImportAlone(const std::string& po_path) {
  std::string out;
  if (qokit::po::ImportPo(po_path.c_str(), {}, {}, out) != 0) return;
  std::vector<MessageRecord> records;
  CHECK(ParseSource(out, records));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string base_path = ScratchPath("po-base.msg");
  static const std::vector<MessageRecord> base = [] {
    WriteScratch(base_path, kBase);
    std::vector<MessageRecord> records;
    CHECK(ParseSource(kBase, records));
    return records;
  }();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckRoundTrip(text);

  const std::string po_path = ScratchPath("import.po");
  WriteScratch(po_path, text);
  CheckImportWithBase(po_path, base_path, base);
  CheckImportAlone(po_path);
  std::remove(po_path.c_str());
  return 0;
}
