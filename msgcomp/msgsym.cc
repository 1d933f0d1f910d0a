#include "msgsym.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "messages.h"
#include "msgstate.h"
#include "qokit/nls/nlsstr.h"

namespace qokit::msgcomp {

namespace {

// A broken precondition is a fault in the caller, never a result of input.
void Require(bool ok, const char* operation, const char* what) {
  if (!ok) SayInternalErrorAndAbort(operation, what);
}

// Links a record into symList after every record numbered msgNum or lower and
// records it in the number index.
[[gnu::always_inline]] inline void LinkByNumber(MsgSymbol* sym, int32_t msgNum) {
  NumberIndex& index = msgState->numIndex;
  NumberSlot* slot = index.Get(msgNum);
  if (slot == nullptr) SayNoSymbolMemoryAndExit(false);
  MsgSymbol* pred = slot->last;
  MsgSymbol* const tail = msgState->symTail;
  if (pred == nullptr && tail != nullptr && tail->msgNum <= msgNum) {
    pred = tail;  // the common case of a symbol file, which is in number order
  } else if (pred == nullptr) {
    const NumberSlot* below = index.Below(msgNum);
    if (below != nullptr) pred = below->last;
  }
  sym->msgNum = msgNum;
  sym->prev = pred;
  sym->next = pred != nullptr ? pred->next : msgState->symList;
  if (sym->next != nullptr) {
    sym->next->prev = sym;
  } else {
    msgState->symTail = sym;
  }
  if (pred != nullptr) {
    pred->next = sym;
  } else {
    msgState->symList = sym;
  }
  if (slot->first == nullptr) slot->first = sym;
  slot->last = sym;
}

void UnlinkByNumber(MsgSymbol* sym) {
  NumberSlot* slot = msgState->numIndex.Find(sym->msgNum);
  Require(slot != nullptr, "RemoveSymbol", "number not indexed");
  NumberSlot& s = *slot;
  if (s.first == sym && s.last == sym) {
    msgState->numIndex.Erase(sym->msgNum);
  } else {
    if (s.first == sym) s.first = sym->next;
    if (s.last == sym) s.last = sym->prev;
    if (s.defined == sym) s.defined = nullptr;
  }
  if (sym->prev != nullptr) {
    sym->prev->next = sym->next;
  } else {
    msgState->symList = sym->next;
  }
  if (sym->next != nullptr) {
    sym->next->prev = sym->prev;
  } else {
    msgState->symTail = sym->prev;
  }
  sym->prev = sym->next = nullptr;
}

}  // namespace

SymbolKey KeyOf(std::string_view name) {
  // Eight bytes at a time, each step multiplied and folded, so that the low
  // bits, which pick the slot, depend on every byte.
  uint64_t hash = name.size() * 0x9e3779b97f4a7c15u;
  std::size_t i = 0;
  for (; i + 8 <= name.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, name.data() + i, 8);
    hash = (hash ^ word) * 0xbf58476d1ce4e5b9u;
    hash ^= hash >> 31;
  }
  // The last bytes: the name's last eight (overlapping the words above) where
  // it has eight, else its bytes in two overlapping halves.
  uint64_t tail = 0;
  const std::size_t size = name.size();
  if (i < size) {
    if (size >= 8) {
      std::memcpy(&tail, name.data() + size - 8, 8);
    } else if (size >= 4) {
      uint32_t low, high;
      std::memcpy(&low, name.data(), 4);
      std::memcpy(&high, name.data() + size - 4, 4);
      tail = uint64_t{low} | uint64_t{high} << 32;
    } else {
      tail = uint64_t{static_cast<unsigned char>(name[0])} | uint64_t{static_cast<unsigned char>(name[size / 2])} << 8 |
             uint64_t{static_cast<unsigned char>(name[size - 1])} << 16;
    }
  }
  // A last mix brings the high bytes of the tail (a name's final digits,
  // mostly) down to the low bits.
  hash = (hash ^ tail) * 0x94d049bb133111ebu;
  hash ^= hash >> 32;
  hash *= 0xff51afd7ed558ccdu;
  return {name, hash ^ (hash >> 29)};
}

namespace {

// The bucket of a name and the sum of its signed bytes (its part of the
// checksum), in one walk over the name: a symbol's bytes are summed once.
struct NameSums {
  int bucket;
  uint32_t bytes;
};

// The weighted sum of a name's signed bytes that picks its bucket, and their
// plain sum, both wrapping at 32 bits.
struct RawSums {
  uint32_t weighted;
  uint32_t bytes;
};

// The sums one byte at a time, for any length. Unsigned arithmetic wraps as
// the signed 32-bit sum does, without overflow.
RawSums SumNameBytewise(std::string_view name) {
  uint32_t sum = 0, bytes = 0;
  uint32_t weight = 5, mask = 0;  // 5 (i+1) and i << 13, advanced by steps
  for (const char byte : name) {
    const auto c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(byte)));
    sum += (c * weight) ^ mask;
    bytes += c;
    weight += 5;
    mask += uint32_t{1} << 13;
  }
  return {sum, bytes};
}

// The same eight bytes at a time in 16-bit vector lanes, for names of at
// most 50 bytes. There p = c × 5 (i+1) lies within ±32000 and fits a lane,
// and i << 13 has bits 13 to 18 only, so with a ^ b = a + b - 2 (a & b):
//   sum = Σ p + Σ (i << 13) - 2 Σ (p & (i << 13)),
// where p & (i << 13) is ((p >> 13) & i) << 13 (i < 64; p's sign fills bits
// 15 and up). Σ p is kept as its high and low bytes, whose lane sums fit 16
// bits, and every other sum is a lane sum too: the lanes are added up once.
using Bytes8 = signed char __attribute__((vector_size(8)));
using Lanes = int16_t __attribute__((vector_size(16)));

constexpr std::size_t kLaneBytes = (kMaxSymbolLen + 7) / 8 * 8;

struct LaneTables {
  std::array<int16_t, kLaneBytes> weight;    // 5 (i+1)
  std::array<int16_t, kLaneBytes> position;  // i
};
constexpr LaneTables kLanes = [] {
  LaneTables t{};
  for (std::size_t i = 0; i < kLaneBytes; ++i) {
    t.weight[i] = static_cast<int16_t>(5 * (i + 1));
    t.position[i] = static_cast<int16_t>(i);
  }
  return t;
}();

// The lane sums of four vectors at once, each total fitting 16 bits: the
// halves of each are folded together until one lane of each is left.
std::array<int32_t, 4> AddLanes(Lanes a, Lanes b, Lanes c, Lanes d) {
  const Lanes ab = __builtin_shufflevector(a, b, 0, 1, 2, 3, 8, 9, 10, 11) +
                   __builtin_shufflevector(a, b, 4, 5, 6, 7, 12, 13, 14, 15);
  const Lanes cd = __builtin_shufflevector(c, d, 0, 1, 2, 3, 8, 9, 10, 11) +
                   __builtin_shufflevector(c, d, 4, 5, 6, 7, 12, 13, 14, 15);
  const Lanes pairs = __builtin_shufflevector(ab, cd, 0, 1, 4, 5, 8, 9, 12, 13) +
                      __builtin_shufflevector(ab, cd, 2, 3, 6, 7, 10, 11, 14, 15);
  const Lanes sums = pairs + __builtin_shufflevector(pairs, pairs, 1, 0, 3, 2, 5, 4, 7, 6);
  return {sums[0], sums[2], sums[4], sums[6]};
}

[[gnu::always_inline]] inline RawSums SumNameInLanes(std::string_view name) {
  const std::size_t size = name.size();
  alignas(16) signed char padded[kLaneBytes] = {};  // zero bytes add nothing below
  std::memcpy(padded, name.data(), size);
  Lanes bytes = {}, low = {}, high = {}, shared = {};
  for (std::size_t at = 0; at < size; at += 8) {
    Bytes8 chunk;
    Lanes weight, position;
    std::memcpy(&chunk, padded + at, sizeof chunk);
    std::memcpy(&weight, &kLanes.weight[at], sizeof weight);
    std::memcpy(&position, &kLanes.position[at], sizeof position);
    const Lanes c = __builtin_convertvector(chunk, Lanes);
    const Lanes p = c * weight;
    bytes += c;
    low += p & 0xFF;
    high += p >> 8;
    shared += (p >> 13) & position;
  }
  const std::array<int32_t, 4> sums = AddLanes(low, high, shared, bytes);
  const auto n = static_cast<uint32_t>(size);
  const uint32_t products = static_cast<uint32_t>(sums[1]) * 256 + static_cast<uint32_t>(sums[0]);
  const uint32_t masks = (n * (n - 1) / 2) << 13;  // Σ i << 13 over the name's bytes
  const uint32_t overlaps = static_cast<uint32_t>(sums[2]) << 14;
  return {products + masks - overlaps, static_cast<uint32_t>(sums[3])};
}

[[gnu::always_inline]] inline NameSums SumName(std::string_view name) {
  const RawSums raw = name.size() <= kMaxSymbolLen ? SumNameInLanes(name) : SumNameBytewise(name);
  const auto total = static_cast<int32_t>(raw.weighted);
  const int64_t magnitude = total < 0 ? -static_cast<int64_t>(total) : total;
  return {static_cast<int>(magnitude % kHashBuckets), raw.bytes};
}

}  // namespace

int HashSymbol(const char* name) { return SumName(std::string_view(name, nls.nlsStrLen(name))).bucket; }

namespace {

// Where a name of at most 50 characters stands in the name index.
[[gnu::always_inline]] inline NameIndex::Place Locate(const SymbolKey& key) {
  Require(key.name.size() <= kMaxSymbolLen, "InsertSymbol", "name too long");
  const NameIndex::Place place = msgState->nameIndex.Locate(key.name, key.hash);
  if (!place.ok) SayNoSymbolMemoryAndExit(false);
  return place;
}

// A new record for a name that Locate found missing, at its place.
[[gnu::always_inline]] inline MsgSymbol* Enter(const SymbolKey& key, int32_t msgNum,
                                                const NameIndex::Place& place) {
  MsgSymbol* sym = msgState->symPool.New();
  if (sym == nullptr) SayNoSymbolMemoryAndExit(false);
  std::memcpy(sym->name, key.name.data(), key.name.size());
  sym->name[key.name.size()] = '\0';
  sym->nameLen = static_cast<uint8_t>(key.name.size());
  msgState->nameIndex.Put(place, sym, key.hash);
  const NameSums sums = SumName(key.name);
  sym->nameSum = sums.bytes;
  sym->hashNext = msgState->symHash[sums.bucket];
  msgState->symHash[sums.bucket] = sym;
  LinkByNumber(sym, msgNum);
  return sym;
}

}  // namespace

MsgSymbol* InsertNewSymbol(const SymbolKey& key, int32_t msgNum) {
  const NameIndex::Place place = Locate(key);
  return place.sym != nullptr ? nullptr : Enter(key, msgNum, place);
}

MsgSymbol* FindOrInsertSymbol(const SymbolKey& key, int32_t msgNum, bool& inserted) {
  const NameIndex::Place place = Locate(key);
  inserted = place.sym == nullptr;
  return inserted ? Enter(key, msgNum, place) : place.sym;
}

MsgSymbol* InsertSymbol(const SymbolKey& key, int32_t msgNum) {
  MsgSymbol* sym = InsertNewSymbol(key, msgNum);
  Require(sym != nullptr, "InsertSymbol", "name already present");
  return sym;
}

MsgSymbol* InsertSymbol(const char* name, int32_t msgNum) {
  return InsertSymbol(KeyOf(std::string_view(name, nls.nlsStrLen(name))), msgNum);
}

MsgSymbol* msgFindSymbol(const SymbolKey& key) { return msgState->nameIndex.Find(key.name, key.hash); }

MsgSymbol* msgFindSymbol(const char* name) { return msgFindSymbol(KeyOf(std::string_view(name, nls.nlsStrLen(name)))); }

MsgSymbol* msgFindNumber(int32_t msgNum) {
  const NumberSlot* slot = msgState->numIndex.Find(msgNum);
  return slot == nullptr ? nullptr : slot->first;
}

void RenumberSymbol(MsgSymbol* sym, int32_t msgNum) {
  UnlinkByNumber(sym);
  LinkByNumber(sym, msgNum);
  if (sym->defined) MarkDefined(sym);
}

void RemoveSymbol(MsgSymbol* sym) {
  UnlinkByNumber(sym);
  MsgSymbol** link = &msgState->symHash[HashSymbol(sym->name)];
  while (*link != nullptr && *link != sym) link = &(*link)->hashNext;
  Require(*link == sym, "RemoveSymbol", "record not in its hash chain");
  *link = sym->hashNext;
  msgState->nameIndex.Erase(sym, KeyOf(sym->name).hash);
  msgState->symPool.Delete(sym);
}

MsgMetaSymbol* InsertMetaSymbol(const char* name, const char* value) {
  Require(nls.nlsStrLen(name) <= kMaxSymbolLen, "InsertMetaSymbol", "name too long");
  Require(FindMetaSymbol(name) == nullptr, "InsertMetaSymbol", "name already present");
  auto* meta = new (std::nothrow) MsgMetaSymbol{};
  if (meta == nullptr) SayNoSymbolMemoryAndExit(true);
  nls.nlsStrCpy(meta->name, name);
  const size_t len = nls.nlsStrLen(value);
  if (len < kShortValueSize) {
    meta->value = meta->shortValue;
  } else {
    meta->value = static_cast<char*>(std::malloc(len + 1));
    if (meta->value == nullptr) {
      delete meta;
      SayNoSymbolMemoryAndExit(true);
    }
  }
  nls.nlsStrCpy(meta->value, value);
  MsgMetaSymbol** link = &msgState->metaList;
  while (*link != nullptr && nls.nlsStrCmp((*link)->name, name) <= 0) link = &(*link)->next;
  meta->next = *link;
  *link = meta;
  return meta;
}

MsgMetaSymbol* FindMetaSymbol(const char* name) {
  for (MsgMetaSymbol* m = msgState->metaList; m != nullptr; m = m->next) {
    if (nls.nlsStrCmp(m->name, name) == 0) return m;
  }
  return nullptr;
}

int32_t ComputeChecksum() {
  uint32_t sum = 0;
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) sum += ChecksumPart(*s);
  return static_cast<int32_t>(sum);
}

void ReserveSymbols(size_t count) { (void)msgState->nameIndex.Reserve(count); }

void FreeSymbolTable() {
  msgState->symPool.Clear();
  for (MsgMetaSymbol* m = msgState->metaList; m != nullptr;) {
    MsgMetaSymbol* next = m->next;
    if (m->value != m->shortValue) std::free(m->value);
    delete m;
    m = next;
  }
  msgState->symList = msgState->symTail = nullptr;
  msgState->metaList = nullptr;
  for (auto& head : msgState->symHash) head = nullptr;
  msgState->numIndex.Clear();
  msgState->nameIndex.Clear();
}

}  // namespace qokit::msgcomp
