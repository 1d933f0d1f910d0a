// The one compiler state of a qogenmsg run, reached through `msgState`.
//
// The driver creates it, every stage of the compiler works on it, and the
// driver frees it. File names are borrowed from the argument vector or the
// response-file word list, both of which outlive the state.
#pragma once

#include <cstdint>
#include <cstdio>

#include "msgsym_types.h"
#include "name_index.h"
#include "number_index.h"
#include "plural_forms.h"
#include "plural_messages.h"
#include "source_bytes.h"
#include "symbol_pool.h"

namespace qokit::msgcomp {

class SourceDiagnostics;

inline constexpr int kHashBuckets = 257;

struct MsgCompilerState {
  const char* symFileName = nullptr;
  const char* objFileName = nullptr;  // genobj only
  const char* srcFileNames[kMaxSourceFiles] = {};
  int32_t numSrcFiles = 0;
  FILE* symFile = nullptr;
  FILE* objFile = nullptr;
  FILE* srcFiles[kMaxSourceFiles] = {};
  MsgSymbol* symHash[kHashBuckets] = {};
  MsgSymbol* symList = nullptr;  // ascending msgNum; ties in insertion order
  MsgMetaSymbol* metaList = nullptr;  // ascending name order
  int32_t lowMsgNum = 0;
  int32_t highMsgNum = 0;
  int32_t numSymbols = 0;
  int32_t checksum = 0;
  int32_t maxSpecLen = 0;
  int32_t maxInserts = 0;
  int32_t mappingChanged = 0;
  int32_t curSourceFile = 0;
  long curSourceLine = 0;
  NumberIndex numIndex;  // beside symList, so that nothing walks the list by number
  MsgSymbol* symTail = nullptr;  // the last record of symList
  NameIndex nameIndex;    // beside the hash chains, for fast lookup by name
  SymbolPool symPool;     // owns the MsgSymbol records
  SourceBytes sourceBytes;  // the bytes of srcFiles, read once per run
  PluralForms plural;     // the forms of the entry just read, when it is plural
  std::vector<PluralMessage> plurals;  // the plural messages of the first pass, in source order
  std::vector<StoredText> pluralStore;  // genobj: the texts above H, in number order
  std::string pluralRule;  // the rule the first pass checked the plural messages against,
  format::PluralFacts pluralFacts;  // its facts
  int pluralForms = 0;              // and its number of forms
  SourceCursor cursor;    // the reader's position; curSourceFile and curSourceLine follow it on SyncSourcePosition
  // Null in qogenmsg (its fixed texts, stop at the first fault); see source_diagnostics.h.
  SourceDiagnostics* diagnostics = nullptr;
};

// The state of the current run; null outside a run.
extern MsgCompilerState* msgState;

}  // namespace qokit::msgcomp
