#include "name_index.h"

#include <new>

#include "msgsym_types.h"

namespace qokit::msgcomp {

namespace {

constexpr size_t kInitialSlots = 1024;

}  // namespace

uint64_t NameIndex::Hash(std::string_view name) {
  uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

size_t NameIndex::Probe(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.sym == nullptr || (slot.hash == hash && name == slot.sym->name)) return i;
  }
}

MsgSymbol* NameIndex::Find(std::string_view name) const {
  if (slots_.empty()) return nullptr;
  return slots_[Probe(name, Hash(name))].sym;
}

bool NameIndex::Grow() {
  std::vector<Slot> old;
  try {
    old.swap(slots_);
    slots_.assign(old.empty() ? kInitialSlots : old.size() * 2, Slot{});
  } catch (const std::bad_alloc&) {
    slots_.swap(old);
    return false;
  }
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.sym == nullptr) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].sym != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
  }
  return true;
}

NameIndex::Added NameIndex::Insert(MsgSymbol* sym) {
  if ((count_ + 1) * 2 > slots_.size() && !Grow()) return Added::kNoMemory;
  const std::string_view name(sym->name);
  const uint64_t hash = Hash(name);
  Slot& slot = slots_[Probe(name, hash)];
  if (slot.sym != nullptr) return Added::kAlreadyPresent;
  slot = Slot{hash, sym};
  ++count_;
  return Added::kYes;
}

void NameIndex::Erase(const MsgSymbol* sym) {
  if (slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  size_t hole = Probe(sym->name, Hash(sym->name));
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
  slots_.clear();
  count_ = 0;
}

}  // namespace qokit::msgcomp
