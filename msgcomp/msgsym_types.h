// The two record kinds of the message symbol table.
#pragma once

#include <cstdint>

namespace qokit::msgcomp {

inline constexpr int kMaxSymbolLen = 50;
inline constexpr int kMaxResponseLen = 7;
inline constexpr int kMaxTextLen = 1024;
inline constexpr int kShortValueSize = 16;

// One numbered message symbol, owned by the symbol table.
struct MsgSymbol {
  MsgSymbol* hashNext = nullptr;
  MsgSymbol* next = nullptr;
  MsgSymbol* prev = nullptr;  // lets a record leave symList without a walk
  int32_t msgNum = 0;
  int32_t compiledLen = 0;
  int defined = 0;  // met in the sources in the current pass
  int srcIndex = 0;
  long line = 0;
  char name[kMaxSymbolLen + 1] = {};
  unsigned char* compiled = nullptr;  // owned by the table's SymbolPool; set by the second pass
  char response[kMaxResponseLen + 1] = {};
  int severity = 0;
  uint32_t nameSum = 0;  // the name's signed bytes summed, its part of the checksum beside msgNum
  uint8_t nameLen = 0;   // the name's length, so that writing it needs no strlen
};

// One meta-symbol (a source entry numbered 0): a named setting and its value.
struct MsgMetaSymbol {
  MsgMetaSymbol* next = nullptr;
  int srcIndex = 0;
  long line = 0;
  char name[kMaxSymbolLen + 1] = {};
  char* value = nullptr;  // shortValue, or an owned allocation for long values
  char shortValue[kShortValueSize] = {};
};

}  // namespace qokit::msgcomp
