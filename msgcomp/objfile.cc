#include "objfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

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

namespace {

// Work room for the compiled form of any text: the bound for the most
// inserts a text can have, so it serves before the run's count is known.
constexpr size_t kWorkSize = kMaxTextLen + 3 * static_cast<size_t>(kMaxArgumentNumber) + 3;

// Compiles an entry's text into its symbol's record with the entry's
// severity and response. On a failure it reports (when `report`) and gives false.
bool StoreCompiled(MsgSymbol* sym, const MessageRecord& entry, unsigned char* work, bool report) {
  // A symbol the first pass did not enter cannot compile.
  const size_t length = sym == nullptr                 ? 0
                        : report                       ? CompileMessageText(entry.text, work, kWorkSize)
                                                       : CompileMessageTextQuietly(entry.text, work, kWorkSize);
  if (length == 0) {
    if (report) SayMessageFailed(entry.msgNum, entry.line);
    return false;
  }
  unsigned char* compiled = msgState->symPool.CopyText(work, length);
  if (compiled == nullptr) {
    if (report) SayNoCompileMemory();
    return false;
  }
  sym->compiled = compiled;
  sym->compiledLen = static_cast<int32_t>(length);
  sym->severity = entry.severity;
  nls.nlsStrCpy(sym->response, entry.response);
  return true;
}

}  // namespace

int CompileMessages() {
  std::unique_ptr<unsigned char[]> work(new (std::nothrow) unsigned char[kWorkSize]);
  if (!work) {
    SayNoCompileMemory();
    return 1;
  }
  RewindSources();
  MessageRecord entry;
  int read;
  while ((read = ReadMessage(entry)) == 0) {
    if (entry.msgNum != 0 && !StoreCompiled(msgFindSymbol(entry.symbol), entry, work.get(), true)) return 1;
  }
  return read < 0 ? 0 : 1;
}

int WriteObjectHeader(unsigned char* block) {
  const MsgCompilerState& st = *msgState;
  std::memcpy(block, format::kMagic.data(), format::kMagic.size());
  format::PutLe32(block + format::kMinMsgNumAt, st.lowMsgNum);
  format::PutLe32(block + format::kMaxMsgNumAt, st.highMsgNum);
  format::PutLe32(block + format::kMsgCountAt, st.numSymbols);
  format::PutLe32(block + format::kChecksumAt, st.checksum);
  // Checked in this order; the first invalid code ends the run, so only its message shows.
  static_assert(format::kTimeFmtAt == format::kDateFmtAt + 1 && format::kNmbrFmtAt == format::kDateFmtAt + 2, "the codes are adjacent");
  for (std::size_t i = 0; i < 3; ++i) {
    const int code = FormatCode(kFormatCodeRules[i]);
    if (code == 0) return 1;
    block[format::kDateFmtAt + i] = static_cast<unsigned char>(code);
  }
  char date[26];
  CurrentTimeText(date);
  std::memcpy(block + format::kCompDateAt, date, format::kCompDateTextLength);
  return 0;
}

void WriteObjectIndex(unsigned char* blocks) {
  const int32_t high = msgState->highMsgNum;
  unsigned char* index = blocks + format::kBlockSize;  // entry j belongs to message j + 1
  long nextBlock = IndexBlocks() + 2;
  int32_t counter = 0;
  for (const MsgSymbol* sym = msgState->symList; sym != nullptr && counter < high;) {
    ++counter;
    if (sym->msgNum == counter) {
      format::PutLe16(index + 2 * (counter - 1), static_cast<uint32_t>(nextBlock));
      nextBlock += MessageBlocks(*sym);
      sym = sym->next;
    }
  }
}

void WriteObjectTexts(unsigned char* blocks) {
  unsigned char* block = blocks + format::kBlockSize * static_cast<std::size_t>(1 + IndexBlocks());
  for (const MsgSymbol* sym = msgState->symList; sym != nullptr; sym = sym->next) {
    const unsigned char* position = sym->compiled;
    long remaining = sym->compiledLen;
    bool first = true;
    while (remaining > 0) {
      const long response = first ? static_cast<long>(nls.nlsStrLen(sym->response)) : 0;
      const long room = static_cast<long>(format::kTextBytesPerBlock) - response;
      const long n = remaining < room ? remaining : room;
      format::PutLe16(block, format::EncodeTextHeader({remaining > n, sym->severity, static_cast<int>(response),
                                                       static_cast<int>(n)}));
      std::memcpy(block + 2, sym->response, static_cast<size_t>(response));
      std::memcpy(block + 2 + response, position, static_cast<size_t>(n));
      block += format::kBlockSize;
      position += n;
      remaining -= n;
      first = false;
    }
  }
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
  // The first pass compiles every text as it goes, quietly; only when one
  // fails does the second pass run, to report it where and as it should.
  std::unique_ptr<unsigned char[]> work(new (std::nothrow) unsigned char[kWorkSize]);
  bool compiledAll = work != nullptr;
  const int merged = MergeSources([&](MsgSymbol& sym, const MessageRecord& entry) {
    if (compiledAll) compiledAll = StoreCompiled(&sym, entry, work.get(), false);
  });
  if (merged != 0) return merged;
  if (st.mappingChanged) {
    SayMappingDisagrees(st.symFileName);
    return -1;
  }
  if (!compiledAll && CompileMessages() != 0) return 1;

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
  // calloc: a large block comes from the kernel already cleared.
  const std::size_t size = static_cast<std::size_t>(blocks) * format::kBlockSize;
  std::unique_ptr<unsigned char, decltype(&std::free)> image(static_cast<unsigned char*>(std::calloc(size, 1)),
                                                             &std::free);
  if (!image) {
    SayNoCompileMemory();
    return 1;
  }
  if (WriteObjectHeader(image.get()) != 0) return 1;
  WriteObjectIndex(image.get());
  WriteObjectTexts(image.get());
  st.objFile = file.stream();
  const bool written = std::fwrite(image.get(), 1, size, st.objFile) == size;
  st.objFile = nullptr;
  if (!written || !file.Commit()) {
    SayObjectWriteError(st.objFileName);
    return 1;
  }
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
