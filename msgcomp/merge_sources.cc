#include "merge_sources.h"

#include <memory>

#include "inserts.h"
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "source_reader.h"

namespace {

void ClearCounters() {
  msgState->lowMsgNum = msgState->highMsgNum = msgState->numSymbols = msgState->mappingChanged = 0;
}

const char* SourceName(int index) { return msgState->srcFileNames[index]; }

void ReportPair(const MsgSymbol& earlier, const MessageRecord& entry) {
  SaySymbolPair(earlier.name, earlier.msgNum, SourceName(earlier.srcIndex), earlier.line);
  SaySymbolPair(entry.symbol, entry.msgNum, SourceName(entry.srcIndex), entry.line);
}

// One numbered entry of the first pass: false when it duplicates an earlier one.
bool MergeEntry(const MessageRecord& entry) {
  if (const MsgSymbol* same = FindDefinedNumber(entry.msgNum); same != nullptr) {
    SayDuplicateNumbers();
    ReportPair(*same, entry);
    return false;
  }
  MsgSymbol* sym = msgFindSymbol(entry.symbol);
  if (sym == nullptr) {
    sym = InsertSymbol(entry.symbol, entry.msgNum);
    msgState->mappingChanged = 1;
  } else if (sym->defined) {
    SayDuplicateNames();
    ReportPair(*sym, entry);
    return false;
  } else if (sym->msgNum != entry.msgNum) {
    RenumberSymbol(sym, entry.msgNum);
    msgState->mappingChanged = 1;
  }
  MarkDefined(sym);
  sym->srcIndex = entry.srcIndex;
  sym->line = entry.line;
  return true;
}

}  // namespace

int MergeSources() {
  MsgCompilerState& st = *msgState;
  st.lowMsgNum = 99999;
  st.highMsgNum = st.numSymbols = st.mappingChanged = st.checksum = 0;
  bool duplicates = false;
  RewindSources();
  auto entry = std::make_unique<MessageRecord>();
  for (;;) {
    const int read = ReadMessage(*entry);
    if (read == 1 || (read < 0 && duplicates)) {
      ClearCounters();
      return -1;
    }
    if (read < 0) break;
    if (entry->msgNum == 0) {
      if (const MsgMetaSymbol* earlier = FindMetaSymbol(entry->symbol); earlier != nullptr) {
        SayDuplicateMetaSymbols();
        SayMetaSymbolLine(earlier->name, SourceName(earlier->srcIndex), earlier->line);
        SayMetaSymbolLine(entry->symbol, SourceName(entry->srcIndex), entry->line);
        duplicates = true;
        continue;
      }
      MsgMetaSymbol* meta = InsertMetaSymbol(entry->symbol, entry->text);
      meta->srcIndex = entry->srcIndex;
      meta->line = entry->line;
      continue;
    }
    if (!MergeEntry(*entry)) {
      duplicates = true;
      continue;
    }
    if (CheckInserts(entry->text) != 0) return 1;
    if (entry->msgNum < st.lowMsgNum) st.lowMsgNum = entry->msgNum;
    if (entry->msgNum > st.highMsgNum) st.highMsgNum = entry->msgNum;
    ++st.numSymbols;
  }
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
