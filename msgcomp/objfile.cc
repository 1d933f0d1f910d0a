#include "objfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>
#include <algorithm>

#include "compile_clock.h"
#include "inserts.h"
#include "merge_sources.h"
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "plural_messages.h"
#include "qokit/nls/nlsstr.h"
#include "replace_file.h"
#include "source_reader.h"
#include "symfile.h"

namespace qokit::msgcomp {

namespace {


// The highest number the file stores: the plural table's, above the
// symbols, when there are plural messages.
int32_t HighestStored() {
  const MsgCompilerState& st = *msgState;
  return st.pluralStore.empty() ? st.highMsgNum : st.pluralStore.back().number;
}

long IndexBlocks() { return format::IndexBlocks(HighestStored()); }

long MessageBlocks(const MsgSymbol& sym) {
  return msgcomp::BlockCount(static_cast<long>(nls.nlsStrLen(sym.response)) + sym.compiledLen);
}

long StoredBlocks(const StoredText& text) {
  return msgcomp::BlockCount(static_cast<long>(nls.nlsStrLen(text.response)) + text.length);
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
    // Plural messages are compiled form by form once the rule is known.
    if (entry.msgNum != 0 && msgState->plural.count == 0 &&
        !StoreCompiled(msgFindSymbol(entry.symbol), entry, work.get(), true))
      return 1;
  }
  return read < 0 ? 0 : 1;
}

int WriteObjectHeader(unsigned char* block) {
  const MsgCompilerState& st = *msgState;
  std::memcpy(block, format::kMagic.data(), format::kMagic.size());
  format::PutLe32(block + format::kMinMsgNumAt, st.lowMsgNum);
  format::PutLe32(block + format::kMaxMsgNumAt, HighestStored());
  format::PutLe32(block + format::kMsgCountAt, st.numSymbols + static_cast<int32_t>(st.pluralStore.size()));
  if (!st.pluralStore.empty()) {
    block[format::kPluralLayoutAt] = format::kPluralLayout;
    format::PutLe32(block + format::kPluralTableAt, HighestStored());
    format::PutLe32(block + format::kPluralHighestAt, st.highMsgNum);
  }
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
  for (const StoredText& text : msgState->pluralStore) {
    format::PutLe16(index + 2 * (text.number - 1), static_cast<uint32_t>(nextBlock));
    nextBlock += StoredBlocks(text);
  }
}

namespace {

// One message's text blocks from `block` on; where the next message's start.
// Inline: it runs once per message of the catalogue.
[[gnu::always_inline]] inline unsigned char* WriteTextBlocks(unsigned char* block, const unsigned char* compiled, long length, int severity,
                               const char* responseText) {
  bool first = true;
  while (length > 0) {
    const long response = first ? static_cast<long>(nls.nlsStrLen(responseText)) : 0;
    const long room = static_cast<long>(format::kTextBytesPerBlock) - response;
    const long n = length < room ? length : room;
    format::PutLe16(block, format::EncodeTextHeader({length > n, severity, static_cast<int>(response),
                                                     static_cast<int>(n)}));
    std::memcpy(block + 2, responseText, static_cast<size_t>(response));
    std::memcpy(block + 2 + response, compiled, static_cast<size_t>(n));
    block += format::kBlockSize;
    compiled += n;
    length -= n;
    first = false;
  }
  return block;
}

}  // namespace

void WriteObjectTexts(unsigned char* blocks) {
  unsigned char* block = blocks + format::kBlockSize * static_cast<std::size_t>(1 + IndexBlocks());
  for (const MsgSymbol* sym = msgState->symList; sym != nullptr; sym = sym->next) {
    block = WriteTextBlocks(block, sym->compiled, sym->compiledLen, sym->severity, sym->response);
  }
  for (const StoredText& text : msgState->pluralStore) {
    block = WriteTextBlocks(block, text.compiled, text.length, text.severity, text.response);
  }
}

namespace {

// A text compiled into the symbol table's pool with `work`; null after the
// message.
const unsigned char* CompileToPool(const std::string& text, int32_t number, long line, std::vector<unsigned char>& work,
                                   int32_t& length) {
  // An appended count insert may take a form past the longest source text.
  if (work.size() < kWorkSize + text.size()) work.resize(kWorkSize + text.size());
  const size_t n = CompileMessageText(text.c_str(), work.data(), work.size());
  if (n == 0) {
    SayMessageFailed(number, line);
    return nullptr;
  }
  const unsigned char* compiled = msgState->symPool.CopyText(work.data(), n);
  if (compiled == nullptr) SayNoCompileMemory();
  length = static_cast<int32_t>(n);
  return compiled;
}

// Compiles each plural message's forms: the standing form at the message's
// own number, the others above H in number order, then the plural table.
// 0, or 1 after the message.
int StorePluralMessages() {
  MsgCompilerState& st = *msgState;
  st.pluralStore.clear();
  if (st.plurals.empty()) return 0;
  // The first pass checked every plural message against the rule it kept.
  const format::PluralFacts& facts = st.pluralFacts;
  const int forms = st.pluralForms;
  std::vector<unsigned char> work;
  const PluralNumbering numbering = NumberPluralForms(st.plurals, st.highMsgNum, forms, facts.standing);
  for (std::size_t i = 0; i < numbering.byNumber.size(); ++i) {
    const PluralMessage* m = numbering.byNumber[i];
    for (int form = 0; form < forms; ++form) {
      int32_t length = 0;
      const unsigned char* compiled = CompileToPool(m->stored[form], m->number, m->at.line, work, length);
      if (compiled == nullptr) return 1;
      if (form == facts.standing) {
        MsgSymbol* sym = msgFindSymbol(m->symbol.c_str());
        sym->compiled = const_cast<unsigned char*>(compiled);
        sym->compiledLen = length;
        sym->severity = m->severity;
        nls.nlsStrCpy(sym->response, m->response.c_str());
      } else {
        const auto number = static_cast<int32_t>(format::FormNumber(numbering.entries[i], form));
        st.pluralStore.push_back({number, compiled, length, m->severity, m->response.c_str()});
      }
    }
  }
  std::string compiledTable;
  if (!format::WritePluralTable(st.pluralRule, numbering.entries, compiledTable)) {
    PluralFault fault;
    fault.kind = PluralFault::Kind::kRule;
    fault.detail = "the rule holds a byte that is not printable ASCII";
    fault.symbol = kPluralFormsMeta;
    if (const MsgMetaSymbol* meta = FindMetaSymbol(kPluralFormsMeta); meta != nullptr) fault.at = {meta->srcIndex, meta->line};
    ReportPluralFault(fault);
    return 1;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(compiledTable.data());
  const unsigned char* compiled = st.symPool.CopyText(bytes, compiledTable.size());
  if (compiled == nullptr) {
    SayNoCompileMemory();
    return 1;
  }
  st.pluralStore.push_back({static_cast<int32_t>(numbering.tableNumber), compiled, static_cast<int32_t>(compiledTable.size()), 0, ""});
  return 0;
}

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
    if (compiledAll && st.plural.count == 0) compiledAll = StoreCompiled(&sym, entry, work.get(), false);
  });
  if (merged != 0) return merged;
  if (st.mappingChanged) {
    SayMappingDisagrees(st.symFileName);
    return -1;
  }
  if (!compiledAll && CompileMessages() != 0) return 1;
  if (StorePluralMessages() != 0) return 1;

  // Block numbers are 16 bits: a larger catalogue cannot be indexed at all.
  long blocks = 1 + IndexBlocks();
  for (const MsgSymbol* sym = st.symList; sym != nullptr; sym = sym->next) blocks += MessageBlocks(*sym);
  for (const StoredText& text : st.pluralStore) blocks += StoredBlocks(text);
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
  msgState->pluralStore.clear();  // its texts are in the table's pool
  FreeSymbolTable();
  return result;
}

}  // namespace qokit::msgcomp
