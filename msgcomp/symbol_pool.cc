#include "symbol_pool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qokit::msgcomp {

MsgSymbol* SymbolPool::New() {
  MsgSymbol* sym = nullptr;
  if (freeList_ != nullptr) {
    sym = freeList_;
    freeList_ = sym->next;
  } else {
    if (usedInLast_ == chunkSize_) {
      const size_t size = chunkSize_ == 0 ? 16 : std::min(2 * chunkSize_, kLargestChunk);
      std::unique_ptr<MsgSymbol[]> chunk(new (std::nothrow) MsgSymbol[size]);
      if (!chunk) return nullptr;
      try {
        chunks_.push_back(std::move(chunk));
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      chunkSize_ = size;
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

unsigned char* SymbolPool::CopyText(const unsigned char* bytes, size_t length) {
  if (length > textRoom_) {
    const size_t size = std::max(length, kTextChunk);
    std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[size]);
    if (!chunk) return nullptr;
    try {
      texts_.push_back(std::move(chunk));
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    textRoom_ = size;
  }
  // Texts fill each chunk from its end down, so the room left is all that needs keeping.
  unsigned char* at = texts_.back().get() + (textRoom_ -= length);
  std::memcpy(at, bytes, length);
  return at;
}

void SymbolPool::Clear() {
  chunks_.clear();
  chunkSize_ = usedInLast_ = 0;
  freeList_ = nullptr;
  texts_.clear();
  textRoom_ = 0;
}

}  // namespace qokit::msgcomp
