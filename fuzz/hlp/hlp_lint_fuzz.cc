// The help-source lint on arbitrary bytes, in the syntax and with the line
// length that the first two bytes choose.
//
// Properties: every diagnostic is one line "NAME:LINE:COLUMN: error: TEXT"
// (or "warning:"), or "NAME: error: TEXT" for the whole source; line and
// column name a place inside the source (a column may stand just after the
// last byte of a line); the counts returned are the lines written; and with
// warnings off the lint writes exactly the error lines of the full run.
// And what the lint predicts holds: when the compiler of the syntax counts an
// error, or the legacy compiler's tables do not fill up (a tag pairing that
// the reading pass and the heading count see differently), the lint has
// reported an error.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "help_fixture.h"
#include "help_lint.h"
#include "help_tables.h"
#include "legacy_source.h"
#include "tagged_source.h"

using namespace qokit::format;

namespace {

constexpr std::string_view kName = "help.src";

struct Written {
  qokit::check::Counts counts;
  std::vector<std::string> lines;
};

Written Lint(std::string_view source, const qokit::check::Options& options) {
  char* buffer = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&buffer, &length);
  CHECK(out != nullptr);
  Written written;
  written.counts = qokit::check::LintHelpSource(kName, source, options, out);
  CHECK(std::fclose(out) == 0);
  const std::string_view text(buffer, length);
  CHECK(text.empty() || text.back() == '\n');
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    written.lines.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::free(buffer);
  return written;
}

// Reads the digits at `at` into `value`; false when there are none.
bool Number(std::string_view line, size_t& at, long& value) {
  const size_t start = at;
  value = 0;
  while (at < line.size() && line[at] >= '0' && line[at] <= '9' && at - start < 12) {
    value = value * 10 + (line[at++] - '0');
  }
  return at > start && value > 0;
}

// Checks one diagnostic line; true for an error, false for a warning.
bool CheckLine(std::string_view line, std::string_view source, const std::vector<size_t>& starts) {
  if (line.substr(0, kName.size()) != kName || line.size() <= kName.size() + 1 || line[kName.size()] != ':') {
    std::fprintf(stderr, "not a diagnostic: \"%.*s\"\n", static_cast<int>(line.size()), line.data());
    std::abort();
  }
  size_t at = kName.size() + 1;
  if (line[at] != ' ') {
    long number = 0, column = 0;
    CHECK(Number(line, at, number) && at < line.size() && line[at++] == ':');
    CHECK(Number(line, at, column) && at < line.size() && line[at++] == ':');
    CHECK(number <= static_cast<long>(starts.size()));
    const size_t offset = starts[static_cast<size_t>(number - 1)] + static_cast<size_t>(column - 1);
    const size_t line_end = static_cast<size_t>(number) < starts.size() ? starts[static_cast<size_t>(number)]
                                                                        : source.size() + 1;
    if (offset >= line_end) std::fprintf(stderr, "outside its line: \"%.*s\"\n", static_cast<int>(line.size()), line.data());
    CHECK(offset < line_end);
  }
  CHECK(at < line.size() && line[at++] == ' ');
  const std::string_view rest = line.substr(at);
  const bool error = rest.substr(0, 7) == "error: ";
  CHECK(error || rest.substr(0, 9) == "warning: ");
  CHECK(rest.size() > (error ? 7u : 9u));  // a text follows
  return error;
}

// Whether the compiler of the syntax refuses the source or loses headings.
bool CompilerFaults(std::string_view source, const qokit::check::Options& options) {
  const std::string bytes(source);
  if (options.legacy) {
    HelpFixture fixture(bytes, kDefaultLineSize);
    if (!count_legacy_headings() || !init_legacy_struct()) return true;
    process_legacy_source();
    const HelpCompilerState& st = helpState;
    return st.errors != 0 || st.link_ndx != static_cast<uint32_t>(st.help_rec_cnt) + 1;
  }
  HelpFixture fixture(bytes, options.line_length);
  if (!count_help_recs() || init_struct() != 1) return true;
  process_tags();
  return helpState.errors != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  qokit::check::Options options;
  options.legacy = (data[0] & 1) != 0;
  // Mostly short lines, where cuts and pieces happen; now and then any value,
  // unusable ones included.
  options.line_length = (data[0] & 2) == 0 ? data[1] : ((data[0] >> 2) << 8 | data[1]) - 32;
  const std::string_view source(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\n') starts.push_back(i + 1);
  }

  const Written all = Lint(source, options);
  qokit::check::Counts seen;
  std::vector<std::string> error_lines;
  for (const std::string& line : all.lines) {
    if (CheckLine(line, source, starts)) {
      ++seen.errors;
      error_lines.push_back(line);
    } else {
      ++seen.warnings;
    }
  }
  CHECK(seen.errors == all.counts.errors && seen.warnings == all.counts.warnings);

  const bool usable = options.legacy || (options.line_length >= kMinLineSize && options.line_length <= kMaxLineSize);
  if (usable && CompilerFaults(source, options) && all.counts.errors == 0) {
    std::fprintf(stderr, "the compiler faults a source the lint passes (%s, line length %d)\n",
                 options.legacy ? "legacy" : "tagged", options.line_length);
    std::abort();
  }

  options.warnings = false;
  const Written quiet = Lint(source, options);
  CHECK(quiet.counts.errors == all.counts.errors && quiet.counts.warnings == 0);
  CHECK(quiet.lines == error_lines);
  return 0;
}
