// Every one-byte change and every truncation of hand-assembled catalogues and
// help files, opened through the C interface: the status and the detail of
// each refusal are compared with a golden listing, so a change of the readers
// cannot accept, refuse or describe a damaged file differently unnoticed.
// On a difference the listing made is written beside the test for diffing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "catalog_bytes.h"
#include "help_bytes.h"
#include "qokit/qohlp.h"
#include "qokit/qomsg.h"
#include "temp_dir.h"

namespace {

using namespace std::string_literals;

// Message 2 alone: an in-order text of 87 bytes whose first conversion
// straddles the boundary of its two blocks.
std::string InOrderAcrossBlocksFile() {
  const std::string text = "\1" + std::string(57, '-') + "%-5s/%5.2f%%|%ld" + std::string(12, '=') + "\0"s;
  kittest::Block index, first, second;
  index.U16(2, 3);
  first.U16(0, kittest::Header(true, 3, 2, 60)).Text(2, "OK").Text(4, text.substr(0, 60));
  second.U16(0, kittest::Header(false, 3, 0, static_cast<int>(text.size() - 60))).Text(2, text.substr(60));
  return kittest::Control(2, 2, 1, 77).bytes + index.bytes + first.bytes + second.bytes;
}

using Opener = int (*)(const std::string& bytes, char* detail, std::size_t size);

int OpenCatalogue(const std::string& bytes, char* detail, std::size_t size) {
  qomsg_catalog* catalog = nullptr;
  const int rc = qomsg_open_memory(bytes.data(), bytes.size(), &catalog, detail, size);
  qomsg_close(catalog);
  return rc;
}

template <int kLayout>
int OpenHelp(const std::string& bytes, char* detail, std::size_t size) {
  qohlp_file* file = nullptr;
  const int rc = qohlp_open_memory(bytes.data(), bytes.size(), kLayout, &file, detail, size);
  qohlp_close(file);
  return rc;
}

// The refusals of one kind of change, position by position; a run of
// positions with the same status and detail is one line: base, change,
// first and last position, status, detail.
class Listing {
 public:
  Listing(std::ostringstream& out, const char* base, std::string change)
      : out_(out), base_(base), change_(std::move(change)) {}
  ~Listing() { Flush(); }

  void Add(std::size_t at, int rc, const char* detail) {
    if (rc == rc_ && detail == detail_ && at == last_ + 1) {
      last_ = at;
      return;
    }
    Flush();
    first_ = last_ = at;
    rc_ = rc;
    detail_ = detail;
  }

 private:
  void Flush() {
    if (rc_ != 0) out_ << base_ << ' ' << change_ << ' ' << first_ << '-' << last_ << ' ' << rc_ << ' ' << detail_ << '\n';
    rc_ = 0;
  }

  std::ostringstream& out_;
  const char* base_;
  std::string change_;
  std::size_t first_ = 0, last_ = 0;
  int rc_ = 0;
  std::string detail_;
};

// Every byte set to 00, 25 ("%"), ff and flipped in its lowest bit, then
// every truncation.
void List(std::ostringstream& out, const char* base, const std::string& good, Opener open) {
  char detail[256];
  for (const int value : {0x00, 0x25, 0xFF, -1}) {
    Listing listing(out, base, value < 0 ? "flip" : "set" + std::to_string(value));
    for (std::size_t at = 0; at < good.size(); ++at) {
      std::string bad = good;
      bad[at] = static_cast<char>(value < 0 ? good[at] ^ 1 : value);
      if (bad == good) continue;
      listing.Add(at, open(bad, detail, sizeof detail), detail);
    }
  }
  Listing listing(out, base, "cut");
  for (std::size_t length = 0; length < good.size(); ++length)
    listing.Add(length, open(good.substr(0, length), detail, sizeof detail), detail);
}

TEST(ReaderFaults, EveryDamagedFileIsRefusedAsTheGoldenListingSays) {
  std::ostringstream listing;
  List(listing, "two-messages", kittest::TwoMessageFile(), OpenCatalogue);
  List(listing, "in-order-across-blocks", InOrderAcrossBlocksFile(), OpenCatalogue);
  List(listing, "four-headings", kittest::FourHeadingFile(), OpenHelp<QOHLP_CURRENT>);
  List(listing, "legacy", kittest::LegacyFile(), OpenHelp<QOHLP_LEGACY>);

  const std::string golden_path = QOKIT_SOURCE_DIR "/tests/kit/data/reader_faults.golden";
  const std::string golden = ReadFileBytes(golden_path);
  ASSERT_FALSE(golden.empty()) << "cannot read " << golden_path;
  if (listing.str() != golden) {
    std::ofstream("reader_faults.actual") << listing.str();
    std::istringstream want(golden), got(listing.str());
    std::string a, b;
    for (int line = 1;; ++line) {
      const bool more_want = static_cast<bool>(std::getline(want, a));
      const bool more_got = static_cast<bool>(std::getline(got, b));
      if (!more_want && !more_got) break;
      if (a != b || more_want != more_got) {
        ADD_FAILURE() << "line " << line << ": golden \"" << (more_want ? a : "<end>") << "\", now \""
                      << (more_got ? b : "<end>") << "\" (whole listing in reader_faults.actual)";
        break;
      }
    }
  }
}

}  // namespace
