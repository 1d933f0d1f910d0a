// Storage for the symbol table's records and their compiled texts: both come
// from chunks instead of one allocation each, which at tens of thousands of
// symbols saves most of the allocator's work and keeps them close together in
// memory. The first chunks are small, so a small catalogue stays cheap.
#pragma once

#include <memory>
#include <vector>

#include "msgsym_types.h"

namespace qokit::msgcomp {

class SymbolPool {
 public:
  // A zero-filled record, or null when out of memory. Mostly the next unused
  // record of the last chunk, which every chunk constructs when it is made.
  MsgSymbol* New() {
    if (freeList_ == nullptr && usedInLast_ < chunkSize_) return &chunks_.back()[usedInLast_++];
    return Reuse();
  }
  // Returns a record for reuse (its compiled text stays until Clear).
  void Delete(MsgSymbol* sym);
  // A copy of a compiled text, or null when out of memory.
  unsigned char* CopyText(const unsigned char* bytes, size_t length);
  // Releases every record and every text at once.
  void Clear();

 private:
  // A record from the free list, or the first of a new chunk.
  MsgSymbol* Reuse();

  static constexpr size_t kLargestChunk = 1024;
  static constexpr size_t kTextChunk = 64 * 1024;
  std::vector<std::unique_ptr<MsgSymbol[]>> chunks_;
  size_t chunkSize_ = 0;  // of the last chunk
  size_t usedInLast_ = 0;
  MsgSymbol* freeList_ = nullptr;  // linked through `next`
  std::vector<std::unique_ptr<unsigned char[]>> texts_;
  size_t textRoom_ = 0;  // bytes left in the last text chunk
};

}  // namespace qokit::msgcomp
