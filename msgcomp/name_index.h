// Lookup of message symbols by name beside the 257 hash chains. A chain walk
// costs a cache miss per record once there are tens of thousands of symbols;
// this open-addressing table keeps each name's full hash next to its record
// pointer, so a lookup touches one table slot and, on a hash match, one record.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qokit::msgcomp {

struct MsgSymbol;

class NameIndex {
 public:
  enum class Added { kYes, kAlreadyPresent, kNoMemory };

  // The record whose name equals name, or null.
  MsgSymbol* Find(std::string_view name) const;
  // Adds a record under its own name.
  Added Insert(MsgSymbol* sym);
  // Removes a record that Insert added.
  void Erase(const MsgSymbol* sym);
  void Clear();

 private:
  struct Slot {
    uint64_t hash = 0;
    MsgSymbol* sym = nullptr;  // null: empty slot
  };

  static uint64_t Hash(std::string_view name);
  size_t Probe(std::string_view name, uint64_t hash) const;  // slot of name, or the empty slot ending its run
  bool Grow();

  std::vector<Slot> slots_;  // size a power of two, at most half full
  size_t count_ = 0;
};

}  // namespace qokit::msgcomp
