// The one compiler state of a qogenmsg run, reached through `msgState`.
//
// The driver creates it, every stage of the compiler works on it, and the
// driver frees it. File names are borrowed from the argument vector or the
// response-file word list, both of which outlive the state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>

#include "msgsym_types.h"

inline constexpr int kMaxSourceFiles = 15;
inline constexpr int kHashBuckets = 257;

// Where the symbols of one message number sit in `symList`, so that lookups
// and ordered insertion by number never walk the whole list.
struct NumberSlot {
  MsgSymbol* first = nullptr;    // first record of this number in symList
  MsgSymbol* last = nullptr;     // last record of this number in symList
  MsgSymbol* defined = nullptr;  // the record of this number met in the sources in this pass
};

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
  std::map<int32_t, NumberSlot> numIndex;  // index beside symList, by message number
};

// The state of the current run; null outside a run.
extern MsgCompilerState* msgState;
