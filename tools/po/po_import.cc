#include "po_import.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "po_entry.h"
#include "po_file.h"
#include "po_format.h"
#include "msgsym_types.h"
#include "po_messages.h"
#include "source_entries.h"
#include "source_reader.h"

namespace qokit::po {

namespace {

// The entries of the PO file, converted to UTF-8; false after a message.
bool LoadPo(const char* po_file, std::vector<PoEntry>& entries) {
  std::string text;
  if (!qokit::io::ReadWholeFile(po_file, text, text.max_size())) {
    SayCannotRead(po_file, errno);
    return false;
  }
  Utf8Converter converter;
  PoDecoding decoding;
  long line = 0;
  std::string problem;
  if (!DecodePoFile(text, DeclaredCharset(text), converter, decoding, line, problem)) {
    SayCharset(Where{po_file, line, ""}, problem.c_str());
    return false;
  }
  PoSyntaxError syntax;
  if (!ReadPo(text, entries, syntax, decoding)) {
    SayPoSyntax(Where{po_file, syntax.line, ""}, syntax.what.c_str());
    return false;
  }
  return true;
}

// The language a header names, when it is a plain tag that is safe inside a comment.
std::string LanguageOf(const std::vector<PoEntry>& entries) {
  if (entries.empty() || !entries[0].IsHeader()) return {};
  std::string language = HeaderField(entries[0], "Language");
  for (const char c : language) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '-' || c == '@' || c == '.';
    if (!plain) return {};
  }
  return language;
}

class Importer {
 public:
  explicit Importer(const char* po_file) : po_file_(po_file) {}

  // Indexes the PO entries by (meta-symbol?, symbol); `is_meta` decides an
  // entry's kind from its symbol when its facts comment does not say it.
  template <typename IsMeta>
  void Index(const std::vector<PoEntry>& entries, IsMeta is_meta) {
    for (const PoEntry& entry : entries) {
      if (entry.IsHeader()) continue;
      const Where at = At(entry, entry.line);
      if (entry.has_plural) {
        SayPlural(at);
        ++counts_.dropped;
        continue;
      }
      if (!entry.has_context) {
        SayNoContext(at);
        ++counts_.dropped;
        continue;
      }
      EntryFacts facts;
      const bool meta = ReadFacts(entry, facts) ? facts.number == 0 : is_meta(entry.context);
      const auto [first, fresh] = index_.try_emplace({meta, entry.context}, &entry);
      if (!fresh) {
        SaySecondEntry(at, first->second->line);
        continue;
      }
      order_.push_back(&entry);
    }
  }

  // The PO entry of a symbol, or null; marks it as used.
  const PoEntry* Find(bool meta, const std::string& symbol) {
    const auto it = index_.find({meta, symbol});
    if (it == index_.end()) return nullptr;
    used_.insert(it->second);
    return it->second;
  }
  const std::vector<const PoEntry*>& order() const { return order_; }
  bool Used(const PoEntry* entry) const { return used_.count(entry) != 0; }

  // The text of one message: the translation when it can be used, else
  // `base_text`. `base_msgid` is the base text as export writes it;
  // `signature` is null for a meta-symbol, whose value is taken as it stands.
  std::string TextOf(const PoEntry* entry, const std::string& base_text, const std::string& base_msgid,
                     const Signature* signature) {
    if (entry == nullptr || entry->msgstr[0].empty()) {
      ++counts_.untranslated;
      return base_text;
    }
    const std::string& msgstr = entry->msgstr[0];
    const Where at = At(*entry, entry->msgstr_line);
    if (entry->HasFlag("fuzzy")) {
      ++counts_.fuzzy;
      return base_text;
    }
    if (entry->msgid != base_msgid) {
      SayOutdated(At(*entry, entry->line));
      ++counts_.fuzzy;
      return base_text;
    }
    if (msgstr.find('\0') != std::string::npos) {
      SayNulByte(at);
      ++counts_.inexpressible;
      return base_text;
    }
    std::string text = msgstr;
    if (signature != nullptr) {
      FormatError error;
      if (!PoToSource(msgstr, *signature, text, error)) {
        if (error.fault == FormatFault::kLiteralAt) {
          SayLiteralAt(at);
          ++counts_.inexpressible;
        } else {
          SayTranslationFault(at, error);
          failed_ = true;
        }
        return base_text;
      }
    }
    if (text.size() > msgcomp::kMaxTextLen) {
      SayTooLong(at, text.size(), msgcomp::kMaxTextLen);
      ++counts_.inexpressible;
      return base_text;
    }
    ++counts_.translated;
    return text;
  }

  Where At(const PoEntry& entry, long line) const { return Where{po_file_, line, entry.context.c_str()}; }
  void Fail() { failed_ = true; }
  bool failed() const { return failed_; }
  ImportCounts& counts() { return counts_; }

 private:
  const char* po_file_;
  std::map<std::pair<bool, std::string>, const PoEntry*> index_;
  std::set<const PoEntry*> used_;
  std::vector<const PoEntry*> order_;
  ImportCounts counts_;
  bool failed_ = false;
};

// Base mode: the base sources give every message and its facts.
bool ImportWithBase(Importer& importer, const std::vector<PoEntry>& entries, std::span<const char* const> base,
                    std::string& out) {
  std::vector<msgcomp::SourceEntry> sources;
  if (msgcomp::ReadSourceEntries(base, sources) != 0) return false;
  std::map<std::pair<bool, std::string>, bool> known;
  for (const msgcomp::SourceEntry& s : sources) known[{s.number == 0, s.symbol}] = true;
  importer.Index(entries, [&](const std::string& symbol) {
    return known.count({false, symbol}) == 0 && known.count({true, symbol}) != 0;
  });
  for (msgcomp::SourceEntry source : sources) {
    const bool meta = source.number == 0;
    const PoEntry* entry = importer.Find(meta, source.symbol);
    std::string format;
    Signature signature;
    if (!meta) {
      FormatError error;
      if (!SourceToPo(source.text, format, signature, error)) {
        SayBaseTextFault(Where{base[static_cast<std::size_t>(source.source)], source.line, source.symbol.c_str()},
                         error);
        importer.Fail();
        continue;
      }
    }
    source.text = importer.TextOf(entry, source.text, meta ? source.text : format, meta ? nullptr : &signature);
    if (!AppendSourceEntry(out, source)) importer.Fail();  // base responses never hold "]"
  }
  for (const PoEntry* entry : importer.order()) {
    if (importer.Used(entry)) continue;
    SayNotInBase(importer.At(*entry, entry->line));
    ++importer.counts().dropped;
  }
  return true;
}

// Without base sources: each entry's facts comment and msgid stand for the base.
void ImportAlone(Importer& importer, const std::vector<PoEntry>& entries, std::string& out) {
  importer.Index(entries, [](const std::string&) { return false; });
  for (const PoEntry* entry : importer.order()) {
    const Where at = importer.At(*entry, entry->line);
    EntryFacts facts;
    if (!ReadFacts(*entry, facts)) {
      SayNoNumberComment(at);
      importer.Fail();
      continue;
    }
    msgcomp::SourceEntry source{facts.number, facts.severity, entry->context, entry->msgid, facts.response, 0, 0};
    Signature signature;
    if (facts.number != 0) {
      FormatError error;
      if (!SignatureOfPo(entry->msgid, signature, error) ||
          !PoToSource(entry->msgid, signature, source.text, error)) {
        SayMsgidFault(at, error);
        importer.Fail();
        continue;
      }
    }
    source.text = importer.TextOf(entry, source.text, entry->msgid, facts.number != 0 ? &signature : nullptr);
    // The facts comment and the msgid are as anyone wrote them: what the
    // source syntax cannot express is refused, not written as a broken entry.
    const msgcomp::SourceEntryFault fault = FindSourceEntryFault(source);
    switch (fault) {
      case msgcomp::SourceEntryFault::kNone: break;
      case msgcomp::SourceEntryFault::kSymbol: SayNotASymbol(at, msgcomp::kMaxSymbolLen); break;
      case msgcomp::SourceEntryFault::kResponse:
        if (source.response.find(']') != std::string::npos) {
          SayResponseBracket(at);
        } else {
          SayResponseInexpressible(at, msgcomp::kMaxResponseLen);
        }
        break;
      case msgcomp::SourceEntryFault::kText: SayMsgidInexpressible(at, msgcomp::kMaxTextLen); break;
    }
    if (fault != msgcomp::SourceEntryFault::kNone) {
      importer.Fail();
      continue;
    }
    if (!msgcomp::AppendSourceEntry(out, source)) importer.Fail();  // a "]" was refused above
  }
}

}  // namespace

int ImportPo(const char* po_file, std::span<const char* const> base, std::string& out) {
  std::vector<PoEntry> entries;
  if (!LoadPo(po_file, entries)) return 1;
  out.assign("/* Message source written by qomsgpo import");
  const std::string language = LanguageOf(entries);
  if (!language.empty()) out.append(" for the language ").append(language);
  out.append(". */\n\n");
  Importer importer(po_file);
  if (base.empty()) {
    ImportAlone(importer, entries, out);
  } else if (!ImportWithBase(importer, entries, base, out)) {
    return 1;
  }
  if (importer.failed()) return 1;
  SayImportSummary(po_file, importer.counts());
  return 0;
}

}  // namespace qokit::po
