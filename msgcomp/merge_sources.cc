#include "merge_sources.h"

#include <memory>

#include "inserts.h"
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "plural_messages.h"
#include "source_reader.h"

namespace qokit::msgcomp {

namespace {

void ClearCounters() {
  msgState->lowMsgNum = msgState->highMsgNum = msgState->numSymbols = msgState->mappingChanged = 0;
}

const char* SourceName(int index) { return msgState->srcFileNames[index]; }

void ReportPair(const MsgSymbol& earlier, const MessageRecord& entry) {
  SaySymbolPair(earlier.name, earlier.msgNum, SourceName(earlier.srcIndex), earlier.line);
  SaySymbolPair(entry.symbol, entry.msgNum, SourceName(entry.srcIndex), entry.line);
}

}  // namespace

MergeOutcome MergeEntry(const MessageRecord& entry) {
  using Kind = MergeOutcome::Kind;
  if (entry.msgNum == 0) {
    if (const MsgMetaSymbol* earlier = FindMetaSymbol(entry.symbol); earlier != nullptr) {
      return {.kind = Kind::kDuplicateMeta, .earlierMeta = earlier};
    }
    MsgMetaSymbol* meta = InsertMetaSymbol(entry.symbol, entry.text);
    meta->srcIndex = entry.srcIndex;
    meta->line = entry.line;
    return {.kind = Kind::kMeta};
  }
  if (const MsgSymbol* same = FindDefinedNumber(entry.msgNum); same != nullptr) {
    return {.kind = Kind::kDuplicateNumber, .earlier = same};
  }
  const SymbolKey key = KeyOf(entry.symbol);
  bool inserted = false;
  MsgSymbol* sym = FindOrInsertSymbol(key, entry.msgNum, inserted);
  if (inserted) {
    msgState->mappingChanged = 1;
  } else if (sym->defined) {
    return {.kind = Kind::kDuplicateName, .earlier = sym};
  } else if (sym->msgNum != entry.msgNum) {
    RenumberSymbol(sym, entry.msgNum);
    msgState->mappingChanged = 1;
  }
  MarkDefined(sym);
  sym->srcIndex = entry.srcIndex;
  sym->line = entry.line;
  return {.kind = Kind::kEntered, .entered = sym};
}

int MergeSources(const EnteredEntry& entered) {
  MsgCompilerState& st = *msgState;
  st.lowMsgNum = 99999;
  st.highMsgNum = st.numSymbols = st.mappingChanged = st.checksum = 0;
  bool duplicates = false;
  RewindSources();
  // An entry of a real catalogue takes some 60 to 100 bytes.
  ReserveSymbols(st.sourceBytes.Size() / 64);
  auto entry = std::make_unique<MessageRecord>();
  st.plurals.clear();
  PluralMessage pluralMessage;
  for (;;) {
    const int read = ReadMessage(*entry);
    if (read == 1 || (read < 0 && duplicates)) {
      ClearCounters();
      return -1;
    }
    if (read < 0) break;
    const MergeOutcome merged = MergeEntry(*entry);
    const bool plural = st.plural.count > 0 || st.plural.countArgument > 0;
    switch (merged.kind) {
      case MergeOutcome::Kind::kEntered: break;
      case MergeOutcome::Kind::kMeta:
        if (plural && CheckPluralEntry(*entry, pluralMessage) != 0) return 1;
        continue;
      case MergeOutcome::Kind::kDuplicateMeta:
        SayDuplicateMetaSymbols();
        SayMetaSymbolLine(merged.earlierMeta->name, SourceName(merged.earlierMeta->srcIndex), merged.earlierMeta->line);
        SayMetaSymbolLine(entry->symbol, SourceName(entry->srcIndex), entry->line);
        duplicates = true;
        continue;
      case MergeOutcome::Kind::kDuplicateNumber:
      case MergeOutcome::Kind::kDuplicateName:
        if (merged.kind == MergeOutcome::Kind::kDuplicateNumber) {
          SayDuplicateNumbers();
        } else {
          SayDuplicateNames();
        }
        ReportPair(*merged.earlier, *entry);
        duplicates = true;
        continue;
    }
    if (plural) {
      if (CheckPluralEntry(*entry, pluralMessage) != 0) return 1;
      st.plurals.push_back(std::move(pluralMessage));
    } else if (CheckInserts(entry->text) != 0) {
      return 1;
    }
    if (entry->msgNum < st.lowMsgNum) st.lowMsgNum = entry->msgNum;
    if (entry->msgNum > st.highMsgNum) st.highMsgNum = entry->msgNum;
    ++st.numSymbols;
    if (entered) entered(*merged.entered, *entry);
  }
  // Sources without a single entry (empty, or only blanks and comments) make
  // no catalogue: with a symbol file every symbol would vanish from it.
  if (st.numSymbols == 0 && st.metaList == nullptr) {
    SayNoEntries();
    ClearCounters();
    return 1;
  }
  if (CheckPluralCatalogue(st.plurals, st.highMsgNum) != 0) return 1;
  for (MsgSymbol* s = st.symList; s != nullptr;) {
    MsgSymbol* next = s->next;
    if (!s->defined) {
      SayMismatched(s->msgNum, s->name);
      RemoveSymbol(s);
      st.mappingChanged = 1;
    }
    s = next;
  }
  st.checksum = ComputeChecksum();
  return 0;
}

}  // namespace qokit::msgcomp
