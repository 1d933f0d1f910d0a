// The help writers' sticky status: a failed write before the tables' rewind
// fails the run although the stream's error flag is clear again by the end,
// and a file that would outgrow its 32-bit offsets is never put in place.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "help_file.h"
#include "help_output.h"
#include "help_session.h"
#include "help_tables.h"
#include "legacy_source.h"
#include "qokit/nls/nlsstr.h"
#include "tagged_source.h"
#include "temp_dir.h"

using namespace qokit::help;

namespace {

// A stream whose first write fails; every later one succeeds.
struct FlakySink {
  std::string bytes;
  long position = 0;
  bool failed_once = false;
};

ssize_t FlakyWrite(void* cookie, const char* data, size_t size) {
  auto* sink = static_cast<FlakySink*>(cookie);
  if (!sink->failed_once) {
    sink->failed_once = true;
    return -1;
  }
  const auto end = static_cast<std::size_t>(sink->position) + size;
  if (sink->bytes.size() < end) sink->bytes.resize(end, '\0');
  std::memcpy(sink->bytes.data() + sink->position, data, size);
  sink->position = static_cast<long>(end);
  return static_cast<ssize_t>(size);
}

int FlakySeek(void* cookie, off64_t* offset, int whence) {
  auto* sink = static_cast<FlakySink*>(cookie);
  if (whence == SEEK_SET) sink->position = *offset;
  if (whence == SEEK_CUR) sink->position += *offset;
  if (whence == SEEK_END) sink->position = static_cast<long>(sink->bytes.size()) + *offset;
  *offset = sink->position;
  return 0;
}

class HelpOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    nlsInit();
    qokit::help::reset_help_state();
  }
  void TearDown() override {
    if (helpState.f1 != nullptr) std::fclose(helpState.f1);
    if (helpState.f2 != nullptr) std::fclose(helpState.f2);
    qokit::help::reset_help_state();
  }
  // Opens the source text as f1 and a flaky sink as f2.
  void Open(const std::string& source) {
    source_ = source;
    helpState.f1 = fmemopen(source_.data(), source_.size(), "r");
    helpState.f2 = fopencookie(&sink_, "w", cookie_io_functions_t{nullptr, FlakyWrite, FlakySeek, nullptr});
    qokit::help::help_output_start();
  }

  std::string source_;
  FlakySink sink_;
};

std::string ManyLines(const std::string& head) {
  std::string text = head;
  for (int n = 0; n < 300; ++n) text += "Line " + std::to_string(n) + " of the help text.\n";
  return text;
}

// The text is written through the stream's buffer; the first flush fails and
// its bytes are gone. The rewind for the tables would clear the stream's
// error flag and the run would look clean; it must fail instead.
TEST_F(HelpOutput, FailedTextWriteFailsTheTaggedRunAfterTheRewind) {
  Open(ManyLines("$H1%2%Start$-The start\n"));
  helpState.linesize = 72;
  helpState.input_line.assign(2 * 72, '\0');
  ASSERT_TRUE(qokit::help::count_help_recs());
  ASSERT_EQ(qokit::help::init_struct(), 1);
  qokit::help::process_tags();
  ASSERT_EQ(helpState.errors, 0);
  qokit::help::write_struct();
  EXPECT_TRUE(sink_.failed_once);
  EXPECT_FALSE(qokit::help::help_output_ok());
  std::fflush(helpState.f2);
  EXPECT_EQ(sink_.bytes.find('\x01'), std::string::npos) << "the tables were written after the failure";
}

TEST_F(HelpOutput, FailedTextWriteFailsTheLegacyRun) {
  Open(ManyLines("$H1%2%Start$H\n"));
  ASSERT_TRUE(qokit::help::count_legacy_headings());
  ASSERT_TRUE(qokit::help::init_legacy_struct());
  qokit::help::process_legacy_source();
  qokit::help::write_struct();
  EXPECT_FALSE(qokit::help::help_output_ok());
  std::fflush(helpState.f2);
  EXPECT_EQ(sink_.bytes.find('\x01'), std::string::npos) << "the tables were written after the failure";
}

// Nothing is written after the first failure, whatever the stream does next.
TEST_F(HelpOutput, NothingIsWrittenAfterTheFirstFailure) {
  Open("");
  const std::string block(1 << 16, 'a');  // larger than the stream's buffer: written at once
  qokit::help::help_write(block.data(), block.size());
  EXPECT_FALSE(qokit::help::help_output_ok());
  std::fflush(helpState.f2);
  const std::string before = sink_.bytes;
  qokit::help::help_seek(0);
  help_write("def", 3);
  qokit::help::help_put('g');
  std::fflush(helpState.f2);
  EXPECT_FALSE(qokit::help::help_output_ok());
  EXPECT_TRUE(sink_.bytes == before) << "bytes written after the failure";
}

// A real help file: the earlier one stays when the new one would need
// offsets beyond 32 bits (the bytes go to a sparse position, nothing large).
TEST_F(HelpOutput, FileBeyondFourGibibytesKeepsTheEarlierOne) {
  TempDir dir;
  const auto source = dir.Write("src.txt", "$H1%2%Start$-x\n");
  const auto target = dir.Write("out.hlp", "earlier\n");
  qokit::help::HelpFiles files;
  ASSERT_EQ(qokit::help::openfiles(source.c_str(), target.c_str(), files), Flow::kGoOn);
  qokit::help::help_seek(UINT32_MAX);
  qokit::help::help_put('x');
  EXPECT_TRUE(qokit::help::help_output_ok()) << "the last addressable byte is fine";
  help_put('y');
  EXPECT_TRUE(qokit::help::help_output_too_large());
  EXPECT_FALSE(qokit::help::closefiles(files, source.c_str(), target.c_str()));
  EXPECT_EQ(dir.Read("out.hlp"), "earlier\n");
}

}  // namespace
