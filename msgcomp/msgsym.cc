#include "msgsym.h"

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
void LinkByNumber(MsgSymbol* sym, int32_t msgNum) {
  NumberIndex& index = msgState->numIndex;
  NumberSlot* slot = index.Get(msgNum);
  if (slot == nullptr) SayNoSymbolMemoryAndExit(false);
  MsgSymbol* pred = slot->last;
  if (pred == nullptr) {
    const NumberSlot* below = index.Below(msgNum);
    if (below != nullptr) pred = below->last;
  }
  sym->msgNum = msgNum;
  sym->prev = pred;
  sym->next = pred != nullptr ? pred->next : msgState->symList;
  if (sym->next != nullptr) sym->next->prev = sym;
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
  if (sym->next != nullptr) sym->next->prev = sym->prev;
  sym->prev = sym->next = nullptr;
}

}  // namespace

int HashSymbol(const char* name) {
  const size_t n = nls.nlsStrLen(name);
  int32_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t c = static_cast<signed char>(name[i]);
    sum += (c * 5 * static_cast<int32_t>(i + 1)) ^ (static_cast<int32_t>(i) << 13);
  }
  const int64_t magnitude = sum < 0 ? -static_cast<int64_t>(sum) : sum;
  return static_cast<int>(magnitude % kHashBuckets);
}

MsgSymbol* InsertSymbol(const char* name, int32_t msgNum) {
  Require(nls.nlsStrLen(name) <= kMaxSymbolLen, "InsertSymbol", "name too long");
  MsgSymbol* sym = msgState->symPool.New();
  if (sym == nullptr) SayNoSymbolMemoryAndExit(false);
  nls.nlsStrCpy(sym->name, name);
  const NameIndex::Added added = msgState->nameIndex.Insert(sym);
  if (added == NameIndex::Added::kNoMemory) SayNoSymbolMemoryAndExit(false);
  Require(added == NameIndex::Added::kYes, "InsertSymbol", "name already present");
  const int bucket = HashSymbol(name);
  sym->hashNext = msgState->symHash[bucket];
  msgState->symHash[bucket] = sym;
  LinkByNumber(sym, msgNum);
  return sym;
}

MsgSymbol* msgFindSymbol(const char* name) {
  return msgState->nameIndex.Find(std::string_view(name, nls.nlsStrLen(name)));
}

MsgSymbol* msgFindNumber(int32_t msgNum) {
  const NumberSlot* slot = msgState->numIndex.Find(msgNum);
  return slot == nullptr ? nullptr : slot->first;
}

void MarkDefined(MsgSymbol* sym) {
  sym->defined = 1;
  NumberSlot* slot = msgState->numIndex.Find(sym->msgNum);
  Require(slot != nullptr, "MarkDefined", "number not indexed");
  if (slot->defined == nullptr) slot->defined = sym;
}

MsgSymbol* FindDefinedNumber(int32_t msgNum) {
  const NumberSlot* slot = msgState->numIndex.Find(msgNum);
  return slot == nullptr ? nullptr : slot->defined;
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
  msgState->nameIndex.Erase(sym);
  std::free(sym->compiled);
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
  uint32_t sum = 0;  // unsigned so that wrapping is defined
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) {
    const size_t n = nls.nlsStrLen(s->name);
    for (size_t i = 0; i < n; ++i) sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(s->name[i])));
    sum += static_cast<uint32_t>(s->msgNum);
  }
  return static_cast<int32_t>(sum);
}

void FreeSymbolTable() {
  for (MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) std::free(s->compiled);
  msgState->symPool.Clear();
  for (MsgMetaSymbol* m = msgState->metaList; m != nullptr;) {
    MsgMetaSymbol* next = m->next;
    if (m->value != m->shortValue) std::free(m->value);
    delete m;
    m = next;
  }
  msgState->symList = nullptr;
  msgState->metaList = nullptr;
  for (auto& head : msgState->symHash) head = nullptr;
  msgState->numIndex.Clear();
  msgState->nameIndex.Clear();
}

}  // namespace qokit::msgcomp
