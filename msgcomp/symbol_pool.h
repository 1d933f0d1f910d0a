// Storage for the symbol table's records: records come from chunks of 1024
// instead of one allocation each, which at tens of thousands of symbols saves
// most of the allocator's work and keeps records close together in memory.
#pragma once

#include <memory>
#include <vector>

#include "msgsym_types.h"

namespace qokit::msgcomp {

class SymbolPool {
 public:
  // A zero-filled record, or null when out of memory.
  MsgSymbol* New();
  // Returns a record for reuse; its compiled text must already be released.
  void Delete(MsgSymbol* sym);
  // Releases every record at once.
  void Clear();

 private:
  static constexpr size_t kChunk = 1024;
  std::vector<std::unique_ptr<MsgSymbol[]>> chunks_;
  size_t usedInLast_ = kChunk;
  MsgSymbol* freeList_ = nullptr;  // linked through `next`
};

}  // namespace qokit::msgcomp
