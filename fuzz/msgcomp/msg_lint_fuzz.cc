// The lint of message sources on one or two sources cut where the fuzzer
// says, against the compiler run over the same bytes.
//
// Properties: the lint reads every source it is given and ends; each finding
// names one of the sources and a line within it; and the lint reports an
// error exactly when qogenmsg refuses the sources: its first pass, then a
// symbol file written from that pass and genobj against it. Sources without
// a numbered message give gensym nothing to write and genobj nothing to read;
// for them only a refusal of the first pass must show as an error.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "check_messages.h"
#include "compiler_fixture.h"
#include "fuzz_check.h"
#include "merge_sources.h"
#include "objfile.h"
#include "source_lint.h"
#include "symfile.h"

using namespace qokit::msgcomp;

namespace {

void WriteScratch(const std::string& path, std::string_view bytes) {
  FILE* out = std::fopen(path.c_str(), "wb");
  CHECK(out != nullptr);
  CHECK(std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size());
  CHECK(std::fclose(out) == 0);
}

enum class Verdict { kRefused, kAccepted, kNoMapping };

// gensym and then genobj over the sources, as two runs of qogenmsg would go.
Verdict CompilerVerdict(const std::vector<std::string_view>& sources) {
  CompilerFixture fixture(sources);
  MsgCompilerState& st = fixture.state();
  if (MergeSources() != 0) return Verdict::kRefused;
  if (st.symList == nullptr) return Verdict::kNoMapping;
  const std::string symPath = ScratchPath("lint-symfile.h");
  FILE* out = std::fopen(symPath.c_str(), "w");
  CHECK(out != nullptr);
  CHECK(WriteSymbolText(out, "Thu Jan  1 00:00:00 1970"));
  CHECK(std::fclose(out) == 0);
  FreeSymbolTable();
  st.checksum = 0;
  st.symFileName = symPath.c_str();
  const std::string objPath = ScratchPath("lint-msgs.obj");
  st.objFileName = objPath.c_str();
  const bool accepted = GenerateObjectFile() == 0;
  std::remove(objPath.c_str());
  std::remove(symPath.c_str());
  return accepted ? Verdict::kAccepted : Verdict::kRefused;
}

long LineCount(std::string_view bytes) { return 1 + static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const bool two = provider.ConsumeBool();
  const size_t cut = provider.ConsumeIntegralInRange<size_t>(0, 4096);
  const std::string whole = provider.ConsumeRemainingBytesAsString();
  std::vector<std::string_view> sources{whole};
  if (two) {
    const size_t at = std::min(cut, whole.size());
    sources = {std::string_view(whole).substr(0, at), std::string_view(whole).substr(at)};
  }

  const Verdict verdict = CompilerVerdict(sources);

  std::vector<std::string> paths;
  std::vector<const char*> names;
  for (size_t i = 0; i < sources.size(); ++i) {
    paths.push_back(ScratchPath(i == 0 ? "lint-a.msg" : "lint-b.msg"));
    WriteScratch(paths.back(), sources[i]);
  }
  for (const std::string& path : paths) names.push_back(path.c_str());
  qokit::check::Findings findings;
  qokit::check::LintResult result;
  CHECK(qokit::check::LintSources(names, findings, result));
  for (const qokit::check::Finding& f : findings.all()) {
    if (f.file.empty()) continue;  // about the run, such as sources without a single entry
    const auto named = std::find(paths.begin(), paths.end(), f.file);
    CHECK(named != paths.end());
    const std::string_view source = sources[static_cast<size_t>(named - paths.begin())];
    if (f.line < 1 || f.line > LineCount(source)) {
      std::fprintf(stderr, "finding at line %ld of %ld: %s\n", f.line, LineCount(source), f.text.c_str());
    }
    CHECK(f.line >= 1 && f.line <= LineCount(source));
  }
  const bool agree = verdict == Verdict::kNoMapping || (verdict == Verdict::kAccepted) == (findings.errors() == 0);
  if (!agree) {
    std::fprintf(stderr, "qogenmsg %s the sources; the lint found %d errors:\n",
                 verdict == Verdict::kAccepted ? "accepts" : "refuses", findings.errors());
    findings.Print(stderr);
  }
  CHECK(agree);
  for (const std::string& path : paths) std::remove(path.c_str());
  return 0;
}
