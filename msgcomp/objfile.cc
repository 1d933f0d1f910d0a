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
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "qokit/nls/nlsstr.h"
#include "replace_file.h"
#include "source_reader.h"
#include "symfile.h"

namespace qokit::msgcomp {

namespace {


using Block = std::array<unsigned char, format::kBlockSize>;

constexpr int kStreamBuffer = 1 << 16;

int WriteBlock(const Block& block) {
  if (std::fwrite(block.data(), 1, block.size(), msgState->objFile) != block.size()) {
    SayObjectWriteError(msgState->objFileName);
    return 1;
  }
  return 0;
}

long IndexBlocks() { return format::IndexBlocks(msgState->highMsgNum); }

long MessageBlocks(const MsgSymbol& sym) {
  return msgcomp::BlockCount(static_cast<long>(nls.nlsStrLen(sym.response)) + sym.compiledLen);
}

// One format code from its meta-symbol: 1 when absent, 0 when invalid (reported).
int FormatCode(const FormatCodeRule& rule) {
  const MsgMetaSymbol* meta = FindMetaSymbol(rule.name);
  if (meta == nullptr) return 1;
  const int code = FormatCodeValue(meta->value, rule.highest);
  if (code == 0) SayInvalidFormatCode(rule.kind, msgState->srcFileNames[meta->srcIndex], meta->line);
  return code;
}

}  // namespace

long BlockCount(long length) { return format::BlockCount(length); }

int FormatCodeValue(const char* value, int highest) {
  const long code = IsAllDigits(value) ? std::strtol(value, nullptr, 10) : 0;
  return code >= 1 && code <= highest ? static_cast<int>(code) : 0;
}

int CompileMessages() {
  // One work buffer, large enough for the compiled form of any text of the run.
  const size_t capacity = CompiledSizeBound(kMaxTextLen);
  std::unique_ptr<unsigned char, decltype(&std::free)> work(static_cast<unsigned char*>(std::malloc(capacity)),
                                                            &std::free);
  if (!work) {
    SayNoCompileMemory();
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
      SayMessageFailed(entry.msgNum, entry.line);
      return 1;
    }
    auto* compiled = static_cast<unsigned char*>(std::malloc(length));
    if (compiled == nullptr) {
      SayNoCompileMemory();
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
  std::memcpy(block.data(), format::kMagic.data(), format::kMagic.size());
  format::PutLe32(block.data() + format::kMinMsgNumAt, st.lowMsgNum);
  format::PutLe32(block.data() + format::kMaxMsgNumAt, st.highMsgNum);
  format::PutLe32(block.data() + format::kMsgCountAt, st.numSymbols);
  format::PutLe32(block.data() + format::kChecksumAt, st.checksum);
  // Checked in this order; the first invalid code ends the run, so only its message shows.
  static_assert(format::kTimeFmtAt == format::kDateFmtAt + 1 && format::kNmbrFmtAt == format::kDateFmtAt + 2, "the codes are adjacent");
  for (std::size_t i = 0; i < 3; ++i) {
    const int code = FormatCode(kFormatCodeRules[i]);
    if (code == 0) return 1;
    block[format::kDateFmtAt + i] = static_cast<unsigned char>(code);
  }
  char date[26];
  CurrentTimeText(date);
  std::memcpy(block.data() + format::kCompDateAt, date, format::kCompDateTextLength);
  return WriteBlock(block);
}

int WriteObjectIndex() {
  const int32_t high = msgState->highMsgNum;
  long nextBlock = IndexBlocks() + 2;
  int32_t counter = 0;
  const MsgSymbol* sym = msgState->symList;
  while (counter < high) {
    Block block{};
    for (std::size_t entry = 0; entry < format::kIndexEntriesPerBlock && counter < high; ++entry) {
      ++counter;
      if (sym != nullptr && sym->msgNum == counter) {
        format::PutLe16(block.data() + 2 * entry, static_cast<uint32_t>(nextBlock));
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
      const long room = static_cast<long>(format::kTextBytesPerBlock) - response;
      const long n = remaining < room ? remaining : room;
      format::PutLe16(block.data(), format::EncodeTextHeader({remaining > n, sym->severity, static_cast<int>(response),
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

namespace {

// Every step of genobj once the sources are open; the caller releases the table.
int CheckCompileAndWrite() {
  MsgCompilerState& st = *msgState;
  const int read = ReadSymbolFile();
  if (read < 0) return -1;
  if (read > 0) {
    SayCannotReadSymbolFile(st.symFileName);
    return 1;
  }
  const int merged = MergeSources();
  if (merged != 0) return merged;
  if (st.mappingChanged) {
    SayMappingDisagrees(st.symFileName);
    return -1;
  }
  if (CompileMessages() != 0) return 1;

  // Block numbers are 16 bits: a larger catalogue cannot be indexed at all.
  long blocks = 1 + IndexBlocks();
  for (const MsgSymbol* sym = st.symList; sym != nullptr; sym = sym->next) blocks += MessageBlocks(*sym);
  if (blocks > format::kMaxBlocks) {
    SayTooManyBlocks(st.objFileName, blocks, format::kMaxBlocks);
    return 1;
  }

  io::ReplacementFile file;
  if (!file.Open(st.objFileName)) {
    SayCannotOpenObjectFile(st.objFileName);
    return 1;
  }
  st.objFile = file.stream();
  std::setvbuf(st.objFile, nullptr, _IOFBF, kStreamBuffer);
  int result = WriteObjectHeader();
  if (result == 0) result = WriteObjectIndex();
  if (result == 0) result = WriteObjectTexts();
  st.objFile = nullptr;
  if (result == 0 && !file.Commit()) {
    SayObjectWriteError(st.objFileName);
    result = 1;
  }
  if (result != 0) return result;
  SayCompiled(st.numSymbols, st.highMsgNum);
  return 0;
}

}  // namespace

int GenerateObjectFile() {
  const int result = CheckCompileAndWrite();
  FreeSymbolTable();
  return result;
}

}  // namespace qokit::msgcomp
