#include "state_scope.h"

#include <new>

#include "msgsym.h"
#include "source_reader.h"

namespace qokit::msgcomp {

CompilerStateScope::CompilerStateScope()
    : state_(new (std::nothrow) MsgCompilerState{}), previous_(msgState) {
  msgState = state_.get();
}

CompilerStateScope::~CompilerStateScope() {
  if (state_ != nullptr) {
    FreeSymbolTable();
    CloseSources();
  }
  msgState = previous_;
}

}  // namespace qokit::msgcomp
