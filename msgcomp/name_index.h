// Lookup of message symbols by name beside the 257 hash chains. A chain walk
// costs a cache miss per record once there are tens of thousands of symbols;
// this open-addressing table keeps each name's full hash next to its record
// pointer, so a lookup touches one table slot and, on a hash match, one record.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "msgsym_types.h"

namespace qokit::msgcomp {

class NameIndex {
 public:
  // Every operation takes the name's hash from the caller (KeyOf in
  // msgsym.h), which computes it once for a lookup and the insertion after it.

  // The record whose name equals name, or null.
  MsgSymbol* Find(std::string_view name, uint64_t hash) const;
  // Where a name stands: its record, or null and the empty slot that Put
  // fills, so that a lookup followed by an entry probes once. It makes room
  // for one more record first; `ok` is false when memory for it ran out.
  struct Place {
    MsgSymbol* sym = nullptr;
    size_t slot = 0;
    bool ok = false;
  };
  // (Inline, as Put and Probe: every entry of every pass takes them.)
  Place Locate(std::string_view name, uint64_t hash) {
    if (2 * (count_ + 1) > size_ && !Reserve(count_ + 1)) return {};
    const size_t slot = Probe(name, hash);
    return {slots_[slot].sym, slot, true};
  }
  // Adds a record at the place that Locate gave for its name, before any
  // other change to the index.
  void Put(const Place& place, MsgSymbol* sym, uint64_t hash) {
    slots_[place.slot] = Slot{hash, sym};
    ++count_;
  }
  // Removes a record that Put added.
  void Erase(const MsgSymbol* sym, uint64_t hash);
  // Room for `count` records in all without growing; false when out of memory.
  bool Reserve(size_t count);
  void Clear();

 private:
  struct Slot {
    uint64_t hash;
    MsgSymbol* sym;  // null: empty slot
  };
  struct Free {
    void operator()(Slot* slots) const { std::free(slots); }
  };

  // The slot of name, or the empty slot that ends its run.
  size_t Probe(std::string_view name, uint64_t hash) const {
    const size_t mask = size_ - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.sym == nullptr) return i;
      // The record's name is NUL-terminated within its array: no strlen needed.
      if (slot.hash == hash && name.size() <= static_cast<size_t>(kMaxSymbolLen) &&
          std::memcmp(slot.sym->name, name.data(), name.size()) == 0 && slot.sym->name[name.size()] == '\0')
        return i;
    }
  }
  bool Resize(size_t size);

  // Cleared by calloc, which gets a large table from the kernel already
  // cleared. A power of two in size, at most half full.
  std::unique_ptr<Slot[], Free> slots_;
  size_t size_ = 0;
  size_t count_ = 0;
};

}  // namespace qokit::msgcomp
