#include "symbol_pool.h"

#include <new>

namespace qokit::msgcomp {

MsgSymbol* SymbolPool::New() {
  MsgSymbol* sym = nullptr;
  if (freeList_ != nullptr) {
    sym = freeList_;
    freeList_ = sym->next;
  } else {
    if (usedInLast_ == kChunk) {
      std::unique_ptr<MsgSymbol[]> chunk(new (std::nothrow) MsgSymbol[kChunk]);
      if (!chunk) return nullptr;
      try {
        chunks_.push_back(std::move(chunk));
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      usedInLast_ = 0;
    }
    sym = &chunks_.back()[usedInLast_++];
  }
  *sym = MsgSymbol{};
  return sym;
}

void SymbolPool::Delete(MsgSymbol* sym) {
  sym->next = freeList_;
  freeList_ = sym;
}

void SymbolPool::Clear() {
  chunks_.clear();
  usedInLast_ = kChunk;
  freeList_ = nullptr;
}

}  // namespace qokit::msgcomp
