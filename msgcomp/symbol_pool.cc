#include "symbol_pool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qokit::msgcomp {

namespace {

// A new chunk of `size` elements at the end of `chunks`; false when out of memory.
template <typename T>
bool AddChunk(std::vector<std::unique_ptr<T[]>>& chunks, size_t size) {
  std::unique_ptr<T[]> chunk(new (std::nothrow) T[size]);
  if (!chunk) return false;
  try {
    chunks.push_back(std::move(chunk));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

MsgSymbol* SymbolPool::Reuse() {
  if (freeList_ != nullptr) {
    MsgSymbol* sym = freeList_;
    freeList_ = sym->next;
    *sym = MsgSymbol{};
    return sym;
  }
  if (usedInLast_ == chunkSize_) {
    const size_t size = chunkSize_ == 0 ? 16 : std::min(2 * chunkSize_, kLargestChunk);
    if (!AddChunk(chunks_, size)) return nullptr;
    chunkSize_ = size;
    usedInLast_ = 0;
  }
  return &chunks_.back()[usedInLast_++];  // constructed with its chunk, never used yet
}

void SymbolPool::Delete(MsgSymbol* sym) {
  sym->next = freeList_;
  freeList_ = sym;
}

unsigned char* SymbolPool::CopyText(const unsigned char* bytes, size_t length) {
  if (length > textRoom_) {
    const size_t size = std::max(length, kTextChunk);
    if (!AddChunk(texts_, size)) return nullptr;
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
