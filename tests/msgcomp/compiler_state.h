// A fresh compiler state for unit tests, its sources in temporary files.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "msgstate.h"
#include "msgsym.h"
#include "qokit/nls/nlsstr.h"

using namespace qokit::msgcomp;

class CompilerStateTest {
 public:
  // Sources are temporary files holding the given bytes, named a.msg, b.msg, ...
  explicit CompilerStateTest(const std::vector<std::string>& sources = {}) {
    nlsInit();
    qokit::msgcomp::msgState = state_.get();
    for (size_t i = 0; i < sources.size(); ++i) {
      names_.push_back(std::string(1, static_cast<char>('a' + i)) + ".msg");
      FILE* f = std::tmpfile();
      std::fwrite(sources[i].data(), 1, sources[i].size(), f);
      std::rewind(f);
      state_->srcFiles[i] = f;
    }
    for (size_t i = 0; i < names_.size(); ++i) state_->srcFileNames[i] = names_[i].c_str();
    state_->numSrcFiles = static_cast<int32_t>(sources.size());
  }
  ~CompilerStateTest() {
    qokit::msgcomp::FreeSymbolTable();
    for (int i = 0; i < state_->numSrcFiles; ++i) std::fclose(state_->srcFiles[i]);
    qokit::msgcomp::msgState = nullptr;
  }
  MsgCompilerState& state() { return *state_; }

 private:
  std::unique_ptr<qokit::msgcomp::MsgCompilerState> state_ = std::make_unique<MsgCompilerState>();
  std::vector<std::string> names_;
};
