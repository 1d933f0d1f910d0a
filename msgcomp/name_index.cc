#include "name_index.h"

namespace qokit::msgcomp {

namespace {

constexpr size_t kInitialSlots = 64;

}  // namespace

MsgSymbol* NameIndex::Find(std::string_view name, uint64_t hash) const {
  if (size_ == 0) return nullptr;
  return slots_[Probe(name, hash)].sym;
}

bool NameIndex::Resize(size_t size) {
  std::unique_ptr<Slot[], Free> slots(static_cast<Slot*>(std::calloc(size, sizeof(Slot))));
  if (slots == nullptr) return false;
  const size_t mask = size - 1;
  for (size_t k = 0; k < size_; ++k) {
    const Slot& slot = slots_[k];
    if (slot.sym == nullptr) continue;
    size_t i = slot.hash & mask;
    while (slots[i].sym != nullptr) i = (i + 1) & mask;
    slots[i] = slot;
  }
  slots_ = std::move(slots);
  size_ = size;
  return true;
}

bool NameIndex::Reserve(size_t count) {
  size_t size = size_ == 0 ? kInitialSlots : size_;
  while (size < 2 * count) size *= 2;
  return size == size_ || Resize(size);
}

void NameIndex::Erase(const MsgSymbol* sym, uint64_t hash) {
  if (size_ == 0) return;
  const size_t mask = size_ - 1;
  size_t hole = Probe(sym->name, hash);
  if (slots_[hole].sym != sym) return;
  // Backward-shift deletion: move later members of the run into the hole so
  // that every name stays reachable from its home slot without tombstones.
  for (size_t i = (hole + 1) & mask; slots_[i].sym != nullptr; i = (i + 1) & mask) {
    const size_t home = slots_[i].hash & mask;
    const bool movable = hole <= i ? (home <= hole || home > i) : (home <= hole && home > i);
    if (movable) {
      slots_[hole] = slots_[i];
      hole = i;
    }
  }
  slots_[hole] = Slot{};
  --count_;
}

void NameIndex::Clear() {
  slots_.reset();
  size_ = count_ = 0;
}

}  // namespace qokit::msgcomp
