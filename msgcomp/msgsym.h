// The message symbol table: lookup by name through 257 hash chains, lookup by
// number and traversal in number order through `symList`, and the meta-symbol
// list. Every operation works on the table inside `msgState`.
//
// The hash chains (`symHash`, bucket by HashSymbol) are the table's own
// structure and stay complete; lookups go through `nameIndex` instead,
// because a chain walk costs a cache miss per record at tens of thousands of
// symbols. InsertSymbol and RemoveSymbol are the only places that change
// either, and always change both, so the two cannot disagree.
//
// Out of memory ends the program ("Terminating program.", status 1): no caller
// could go on with a half-built table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "messages.h"
#include "msgstate.h"
#include "msgsym_types.h"

namespace qokit::msgcomp {

// The bucket (0..256) of a name: bytes count as signed 8-bit values.
int HashSymbol(const char* name);

// A name with the hash that the name index finds it by, computed once for a
// lookup and the insertion after it. (The hash chains' bucket is worked out
// on insertion only: lookups never walk the chains.)
struct SymbolKey {
  std::string_view name;
  uint64_t hash = 0;
};
SymbolKey KeyOf(std::string_view name);

// Enters a new message symbol; the name (at most 50 characters) must not be in
// the table yet. The record goes after every record with an equal or lower number.
MsgSymbol* InsertSymbol(const char* name, int32_t msgNum);
MsgSymbol* InsertSymbol(const SymbolKey& key, int32_t msgNum);
// The same for a name that may be in the table already: then null, and the
// table is as it was. One probe of the name index does the lookup and the entry.
MsgSymbol* InsertNewSymbol(const SymbolKey& key, int32_t msgNum);
// The message symbol of that name, or, when there is none, a new one entered
// as InsertSymbol does (`inserted` says which). One probe of the name index.
MsgSymbol* FindOrInsertSymbol(const SymbolKey& key, int32_t msgNum, bool& inserted);
// The message symbol of that name, or null.
MsgSymbol* msgFindSymbol(const char* name);
MsgSymbol* msgFindSymbol(const SymbolKey& key);
// The first message symbol in symList with that number, or null.
MsgSymbol* msgFindNumber(int32_t msgNum);

// Marks a symbol as met in the sources in this pass and makes it the one that
// FindDefinedNumber reports for its number.
// (Inline, as FindDefinedNumber: every entry of the pass asks both.)
inline void MarkDefined(MsgSymbol* sym) {
  sym->defined = 1;
  NumberSlot* slot = msgState->numIndex.Find(sym->msgNum);
  if (slot == nullptr) {
    SayInternalErrorAndAbort("MarkDefined", "number not indexed");
  } else if (slot->defined == nullptr) {
    slot->defined = sym;
  }
}
// The symbol met in the sources in this pass with that number, or null.
inline MsgSymbol* FindDefinedNumber(int32_t msgNum) {
  const NumberSlot* slot = msgState->numIndex.Find(msgNum);
  return slot == nullptr ? nullptr : slot->defined;
}

// Gives a symbol a new number, moving it to where InsertSymbol would put it.
void RenumberSymbol(MsgSymbol* sym, int32_t msgNum);
// Unlinks a symbol from every list and releases it with its compiled text.
void RemoveSymbol(MsgSymbol* sym);

// Enters a new meta-symbol; the name must not be in the meta list yet. Values
// of up to 15 characters are kept inside the record.
MsgMetaSymbol* InsertMetaSymbol(const char* name, const char* value);
// The meta-symbol of that name, or null.
MsgMetaSymbol* FindMetaSymbol(const char* name);

// Sum of every name byte (signed) and every number in symList, wrapping at 32 bits.
int32_t ComputeChecksum();
// One symbol's part of that sum; parts add up, wrapping, to the checksum.
inline uint32_t ChecksumPart(const MsgSymbol& sym) { return sym.nameSum + static_cast<uint32_t>(sym.msgNum); }

// Room in the name index for `count` symbols, so that a large table does not
// grow step by step; without memory for it, the index grows as it needs.
void ReserveSymbols(size_t count);

// Releases every record and leaves the table empty.
void FreeSymbolTable();

}  // namespace qokit::msgcomp
