// A generated catalogue through qogenmsg genobj and back through a decoder
// written from the object file's format tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "compiler_state.h"
#include "inserts.h"
#include "run_program.h"
#include "source_reader.h"
#include "temp_dir.h"

namespace {

struct Decoded {
  int severity = 0;
  std::string response;
  std::string compiled;
};

// The consumer's view: index entry (m-1) % 32 of block 2 + (m-1) / 32, then
// blocks until one without bit 15.
std::map<int, Decoded> Decode(const std::string& file, int32_t* high) {
  auto u16 = [&](size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(file[at]) |
                                                           static_cast<unsigned char>(file[at + 1]) << 8); };
  std::map<int, Decoded> messages;
  EXPECT_EQ(file.substr(0, 4), "1R3V");
  *high = static_cast<int32_t>(u16(8) | u16(10) << 16);
  for (int m = 1; m <= *high; ++m) {
    const unsigned first = u16(64 * (1 + (m - 1) / 32) + 2 * ((m - 1) % 32));
    if (first == 0) continue;
    Decoded d;
    for (unsigned b = first;; ++b) {
      const size_t at = 64 * (b - 1);
      if (at + 64 > file.size()) {
        ADD_FAILURE() << "message " << m << " runs past the end";
        break;
      }
      const unsigned header = u16(at);
      const unsigned responseLen = header >> 9 & 7, textLen = header & 0x1ff;
      if (b == first) {
        d.severity = static_cast<int>(header >> 12 & 7);
        d.response = file.substr(at + 2, responseLen);
      } else {
        EXPECT_EQ(responseLen, 0u);
      }
      EXPECT_LE(responseLen + textLen, 62u);
      d.compiled += file.substr(at + 2 + responseLen, textLen);
      if ((header & 0x8000) == 0) break;
    }
    messages[m] = d;
  }
  return messages;
}

std::string Catalogue(int count, unsigned seed) {
  std::mt19937 rng(seed);
  const char* const conversions[] = {"%s", "%d", "%ld", "%-5.2f", "%*x", "%c", "%p"};
  std::string source = "0 I DATEFORMAT \"2\"\n";
  for (int n = 1; n <= count; ++n) {
    if (rng() % 4 == 0) continue;  // gaps in the numbering
    source += std::to_string(n) + " " + "ZTRKIWESL"[rng() % 9] + " SYM_" + std::to_string(n);
    if (rng() % 3 == 0) source += " [" + std::string(rng() % 8, 'r') + "]";
    const int inserts = static_cast<int>(rng() % 4);
    const bool reversed = rng() % 2 == 0;
    std::string text(rng() % 200, 'a' + static_cast<char>(n % 26));
    for (int k = 0; k < inserts; ++k) {
      const int arg = reversed ? inserts - k : k + 1;
      text += " @" + std::to_string(arg) + conversions[rng() % 7] + " 100%%";
    }
    if (rng() % 20 == 0) text = std::string(1000, 'L');
    source += " \"" + text + "\"\n";
  }
  return source;
}

TEST(Genobj, RoundTripOfAGeneratedCatalogue) {
  TempDir dir;
  const std::string source = Catalogue(700, 7);
  dir.Write("a.msg", source);
  RunOptions options;
  options.workdir = dir.path();
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"gensym", "s.h", "a.msg"}, options).status, 0);
  const RunResult r = RunProgram(QOGENMSG_PATH, {"genobj", "s.h", "o.bin", "a.msg"}, options);
  ASSERT_EQ(r.status, 0) << r.err;
  int32_t high = 0;
  const std::map<int, Decoded> decoded = Decode(dir.Read("o.bin"), &high);

  // What the compiler should have stored, from the library's own passes.
  CompilerStateTest t({source});
  RewindSources();
  MessageRecord entry;
  std::vector<MessageRecord> entries;
  while (ReadMessage(entry) == 0) {
    if (entry.msgNum == 0) continue;
    ASSERT_EQ(CheckInserts(entry.text), 0);
    entries.push_back(entry);
  }
  ASSERT_EQ(decoded.size(), entries.size());
  EXPECT_EQ(high, entries.back().msgNum);
  for (const MessageRecord& e : entries) {
    std::vector<unsigned char> buffer(CompiledSizeBound(std::strlen(e.text)));
    const size_t length = CompileMessageText(e.text, buffer.data(), buffer.size());
    ASSERT_GT(length, 0u);
    const auto found = decoded.find(e.msgNum);
    ASSERT_NE(found, decoded.end()) << e.msgNum;
    EXPECT_EQ(found->second.severity, e.severity % 8) << e.msgNum;
    EXPECT_EQ(found->second.response, e.response) << e.msgNum;
    EXPECT_EQ(found->second.compiled, std::string(buffer.begin(), buffer.begin() + static_cast<long>(length)))
        << e.msgNum;
  }
}

}  // namespace
