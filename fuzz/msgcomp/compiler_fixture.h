// A compiler state for one fuzz input: sources are read-only memory streams
// over the input's bytes, and everything is released when the fixture ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "fuzz_check.h"
#include "msgstate.h"
#include "msgsym.h"
#include "qokit/nls/nlsstr.h"

using namespace qokit::msgcomp;


class CompilerFixture {
 public:
  explicit CompilerFixture(const std::vector<std::string_view>& sources) {
    static const bool initialised = (nlsInit(), true);
    (void)initialised;
    msgState = state_.get();
    for (size_t i = 0; i < sources.size(); ++i) {
      // Each source gets its own exactly-sized copy, so a read past its end shows.
      buffers_.emplace_back(sources[i].begin(), sources[i].end());
      names_.push_back(std::string(1, static_cast<char>('a' + i)) + ".msg");
      state_->srcFiles[i] = fmemopen(buffers_[i].data(), buffers_[i].size(), "r");
      CHECK(state_->srcFiles[i] != nullptr);
    }
    // Names are taken only now: the vector no longer moves its strings.
    for (size_t i = 0; i < names_.size(); ++i) state_->srcFileNames[i] = names_[i].c_str();
    state_->numSrcFiles = static_cast<int32_t>(sources.size());
  }
  CompilerFixture(const CompilerFixture&) = delete;
  CompilerFixture& operator=(const CompilerFixture&) = delete;
  ~CompilerFixture() {
    FreeSymbolTable();
    for (int i = 0; i < state_->numSrcFiles; ++i) std::fclose(state_->srcFiles[i]);
    msgState = nullptr;
  }
  MsgCompilerState& state() { return *state_; }

 private:
  std::unique_ptr<MsgCompilerState> state_ = std::make_unique<MsgCompilerState>();
  std::vector<std::vector<char>> buffers_;
  std::vector<std::string> names_;
};

// The message symbols of the table in list order as "name=number" lines.
inline std::string TableSnapshot() {
  std::string out;
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) {
    out += s->name;
    out += '=';
    out += std::to_string(s->msgNum);
    out += '\n';
  }
  return out;
}

// A scratch file private to this process, rewritten for every input.
inline std::string ScratchPath(const char* leaf) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr ? tmp : "/tmp") + "/qokit-fuzz-" + std::to_string(getpid()) + "-" + leaf;
}
