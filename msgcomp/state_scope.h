// A compiler state of its own for one run or one pass over sources, reached
// through `msgState` while the scope lasts. However the run ends, the symbol
// table is freed, the sources are closed and the state that was current
// before is current again, so a tool may run a pass inside another's.
#pragma once

#include <memory>

#include "msgstate.h"

namespace qokit::msgcomp {

class CompilerStateScope {
 public:
  CompilerStateScope();
  ~CompilerStateScope();
  CompilerStateScope(const CompilerStateScope&) = delete;
  CompilerStateScope& operator=(const CompilerStateScope&) = delete;

  // False when no memory was left for the state; msgState is then null.
  bool ok() const { return state_ != nullptr; }
  MsgCompilerState& state() { return *state_; }

 private:
  std::unique_ptr<MsgCompilerState> state_;
  MsgCompilerState* previous_;
};

}  // namespace qokit::msgcomp
