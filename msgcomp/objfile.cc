#include "objfile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "compile_clock.h"
#include "inserts.h"
#include "merge_sources.h"
#include "msgstate.h"
#include "msgsym.h"
#include "nlsstr.h"
#include "replace_file.h"
#include "source_reader.h"
#include "symfile.h"

namespace {

using namespace objformat;
using Block = std::array<unsigned char, kBlockSize>;

constexpr int kStreamBuffer = 1 << 16;

int WriteBlock(const Block& block) {
  if (std::fwrite(block.data(), 1, block.size(), msgState->objFile) != block.size()) {
    std::fprintf(stderr, "Error occurred writing to object file %s.\n", msgState->objFileName);
    return 1;
  }
  return 0;
}

long IndexBlocks() { return objformat::IndexBlocks(msgState->highMsgNum); }

long MessageBlocks(const MsgSymbol& sym) {
  return ::BlockCount(static_cast<long>(nls.nlsStrLen(sym.response)) + sym.compiledLen);
}

// One format code from its meta-symbol: 1 when absent, 0 when invalid (reported).
int FormatCode(const char* name, int highest, const char* kind) {
  const MsgMetaSymbol* meta = FindMetaSymbol(name);
  if (meta == nullptr) return 1;
  const long value = IsAllDigits(meta->value) ? std::strtol(meta->value, nullptr, 10) : 0;
  if (value >= 1 && value <= highest) return static_cast<int>(value);
  std::fprintf(stderr, "Invalid %s format code found in file %s, line %d.\n", kind,
               msgState->srcFileNames[meta->srcIndex], static_cast<int>(meta->line));
  return 0;
}

int Fail(int result) {
  FreeSymbolTable();
  return result;
}

}  // namespace

long BlockCount(long length) { return objformat::BlockCount(length); }

int CompileMessages() {
  // One work buffer, large enough for the compiled form of any text of the run.
  const size_t capacity = CompiledSizeBound(kMaxTextLen);
  std::unique_ptr<unsigned char, decltype(&std::free)> work(static_cast<unsigned char*>(std::malloc(capacity)),
                                                            &std::free);
  if (!work) {
    std::fputs("Insufficient memory to compile message text.\n", stderr);
    return 1;
  }
  RewindSources();
  MessageRecord entry;
  int read;
  while ((read = ReadMessage(entry)) == 0) {
    if (entry.msgNum == 0) continue;
    MsgSymbol* sym = msgFindSymbol(entry.symbol);
    // A symbol the first pass did not enter means the sources changed in between.
    const size_t length = sym == nullptr ? 0 : CompileMessageText(entry.text, work.get(), capacity);
    if (length == 0) {
      std::fprintf(stderr, "Message num: %d, line %ld\n", static_cast<int>(entry.msgNum), entry.line);
      return 1;
    }
    auto* compiled = static_cast<unsigned char*>(std::malloc(length));
    if (compiled == nullptr) {
      std::fputs("Insufficient memory to compile message text.\n", stderr);
      return 1;
    }
    std::memcpy(compiled, work.get(), length);
    std::free(sym->compiled);
    sym->compiled = compiled;
    sym->compiledLen = static_cast<int32_t>(length);
    sym->severity = entry.severity;
    nls.nlsStrCpy(sym->response, entry.response);
  }
  return read < 0 ? 0 : 1;
}

int WriteObjectHeader() {
  const MsgCompilerState& st = *msgState;
  Block block{};
  std::memcpy(block.data(), kMagic.data(), kMagic.size());
  PutLe32(block.data() + kMinMsgNumAt, st.lowMsgNum);
  PutLe32(block.data() + kMaxMsgNumAt, st.highMsgNum);
  PutLe32(block.data() + kMsgCountAt, st.numSymbols);
  PutLe32(block.data() + kChecksumAt, st.checksum);
  // Checked in this order; the first invalid code ends the run, so only its message shows.
  struct Meta {
    const char* name;
    int highest;
    const char* kind;
  };
  constexpr Meta kCodes[3] = {
      {"DATEFORMAT", kHighestDateFmt, "date"}, {"TIMEFORMAT", kHighestTimeFmt, "time"},
      {"NUMBERFORMAT", kHighestNmbrFmt, "number"}};
  static_assert(kTimeFmtAt == kDateFmtAt + 1 && kNmbrFmtAt == kDateFmtAt + 2, "the codes are adjacent");
  for (std::size_t i = 0; i < 3; ++i) {
    const int code = FormatCode(kCodes[i].name, kCodes[i].highest, kCodes[i].kind);
    if (code == 0) return 1;
    block[kDateFmtAt + i] = static_cast<unsigned char>(code);
  }
  char date[26];
  CurrentTimeText(date);
  std::memcpy(block.data() + kCompDateAt, date, kCompDateTextLength);
  return WriteBlock(block);
}

int WriteObjectIndex() {
  const int32_t high = msgState->highMsgNum;
  long nextBlock = IndexBlocks() + 2;
  int32_t counter = 0;
  const MsgSymbol* sym = msgState->symList;
  while (counter < high) {
    Block block{};
    for (std::size_t entry = 0; entry < kIndexEntriesPerBlock && counter < high; ++entry) {
      ++counter;
      if (sym != nullptr && sym->msgNum == counter) {
        PutLe16(block.data() + 2 * entry, static_cast<uint32_t>(nextBlock));
        nextBlock += MessageBlocks(*sym);
        sym = sym->next;
      }
    }
    if (WriteBlock(block) != 0) return 1;
  }
  return 0;
}

int WriteObjectTexts() {
  for (const MsgSymbol* sym = msgState->symList; sym != nullptr; sym = sym->next) {
    const unsigned char* position = sym->compiled;
    long remaining = sym->compiledLen;
    bool first = true;
    while (remaining > 0) {
      Block block{};
      const long response = first ? static_cast<long>(nls.nlsStrLen(sym->response)) : 0;
      const long room = static_cast<long>(kTextBytesPerBlock) - response;
      const long n = remaining < room ? remaining : room;
      PutLe16(block.data(), EncodeTextHeader({remaining > n, sym->severity, static_cast<int>(response),
                                              static_cast<int>(n)}));
      std::memcpy(block.data() + 2, sym->response, static_cast<size_t>(response));
      std::memcpy(block.data() + 2 + response, position, static_cast<size_t>(n));
      if (WriteBlock(block) != 0) return 1;
      position += n;
      remaining -= n;
      first = false;
    }
  }
  return 0;
}

int GenerateObjectFile() {
  MsgCompilerState& st = *msgState;
  const int read = ReadSymbolFile();
  if (read < 0) return Fail(-1);
  if (read > 0) {
    std::fprintf(stderr, "Unable to open symbol file %s for reading.\n", st.symFileName);
    return Fail(1);
  }
  const int merged = MergeSources();
  if (merged != 0) return Fail(merged);
  if (st.mappingChanged) {
    std::fprintf(stderr, "Error - symbol mapping in source file(s) disagrees with mapping in symbol file %s.\n",
                 st.symFileName);
    return Fail(-1);
  }
  if (CompileMessages() != 0) return Fail(1);

  // Block numbers are 16 bits: a larger catalogue cannot be indexed at all.
  long blocks = 1 + IndexBlocks();
  for (const MsgSymbol* sym = st.symList; sym != nullptr; sym = sym->next) blocks += MessageBlocks(*sym);
  if (blocks > kMaxBlocks) {
    std::fprintf(stderr, "Object file %s would need %ld blocks; at most %ld can be indexed.\n", st.objFileName,
                 blocks, kMaxBlocks);
    return Fail(1);
  }

  ReplacementFile file;
  if (!file.Open(st.objFileName)) {
    std::fprintf(stderr, "Unable to open object file %s for writing.\n", st.objFileName);
    return Fail(1);
  }
  st.objFile = file.stream();
  std::setvbuf(st.objFile, nullptr, _IOFBF, kStreamBuffer);
  int result = WriteObjectHeader();
  if (result == 0) result = WriteObjectIndex();
  if (result == 0) result = WriteObjectTexts();
  st.objFile = nullptr;
  if (result == 0 && !file.Commit()) {
    std::fprintf(stderr, "Error occurred writing to object file %s.\n", st.objFileName);
    result = 1;
  }
  if (result != 0) return Fail(result);
  std::printf("        Compiled %ld messages; highest message number was %ld.\n", static_cast<long>(st.numSymbols),
              static_cast<long>(st.highMsgNum));
  return Fail(0);
}
