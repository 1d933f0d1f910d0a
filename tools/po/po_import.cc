#include "po_import.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "msgsym_types.h"
#include "objfile.h"
#include "po_entry.h"
#include "po_file.h"
#include "po_format.h"
#include "po_messages.h"
#include "source_entries.h"
#include "source_reader.h"

namespace qokit::po {

namespace {

// The language a header names, when it is a plain tag that is safe inside a comment.
std::string LanguageOf(const PoEntry& header) {
  std::string language = HeaderField(header, "Language");
  for (const char c : language) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '-' || c == '@' || c == '.';
    if (!plain) return {};
  }
  return language;
}

// Whether `msgid` is `text` with every conversion numbered, as export wrote
// texts in argument order before it wrote them plain.
bool IsNumberedForm(const std::string& msgid, const std::string& text) {
  std::string numbered;
  Signature unused;
  FormatError ignored;
  return SourceToPo(text, numbered, unused, ignored, true) && numbered == msgid;
}

// Where an entry starts in the text, to read it again.
struct EntryRef {
  std::size_t offset = 0;
  long line = 0;       // the line before the entry's first
  long first = 0;      // the line of its first keyword
  int uses = 0;        // base messages it gave a text to
  std::string users;   // their symbols, for the report of an ambiguous msgid
};

class Importer {
 public:
  Importer(const char* po_file, const ImportOptions& options) : po_file_(po_file), options_(options) {}

  // Reads and converts the file; false after a message.
  bool Load() {
    if (!qokit::io::ReadWholeFile(po_file_, text_, text_.max_size())) {
      SayCannotRead(po_file_, errno);
      return false;
    }
    long line = 0;
    std::string problem;
    if (!DecodePoFile(text_, DeclaredCharset(text_), converter_, decoding_, line, problem)) {
      SayCharset(Where{po_file_, line, ""}, problem.c_str());
      return false;
    }
    return true;
  }

  // The first pass: notes where each entry starts, by (meta-symbol?, symbol)
  // or, without msgctxt, by msgid. `is_meta` decides an entry's kind from its
  // symbol when its facts comment does not say it. False after a syntax error.
  template <typename IsMeta>
  bool Index(IsMeta is_meta) {
    PoReader reader(text_, decoding_);
    PoEntry entry;
    PoSyntaxError syntax;
    while (true) {
      EntryRef ref;
      ref.offset = reader.offset();
      ref.line = reader.line();
      if (!reader.Next(entry, syntax)) break;
      ref.first = entry.line;
      if (entry.IsHeader()) {
        if (!header_seen_) language_ = LanguageOf(entry);
        header_seen_ = true;
        continue;
      }
      const Where at = At(entry, entry.line);
      if (entry.has_plural) {
        SayPlural(at);
        ++counts_.dropped;
        continue;
      }
      if (!entry.has_context) {
        auto& refs = by_msgid_[std::hash<std::string>{}(entry.msgid)];
        for (const std::size_t k : refs) {
          if (Reread(msgid_refs_[k]).msgid == entry.msgid) {
            SaySecondMsgid(at, msgid_refs_[k].first);
            ref.offset = std::string::npos;
            break;
          }
        }
        if (ref.offset == std::string::npos) continue;
        refs.push_back(msgid_refs_.size());
        msgid_refs_.push_back(ref);
        continue;
      }
      EntryFacts facts;
      const bool meta = ReadFacts(entry, facts) ? facts.number == 0 : is_meta(entry.context);
      const auto [first, fresh] = by_symbol_.try_emplace({meta, entry.context}, symbol_refs_.size());
      if (!fresh) {
        SaySecondEntry(at, symbol_refs_[first->second].first);
        continue;
      }
      symbol_refs_.push_back(ref);
    }
    if (reader.failed()) {
      SayPoSyntax(Where{po_file_, syntax.line, ""}, syntax.what.c_str());
      return false;
    }
    return true;
  }

  // The entry noted for a symbol, or for a msgid when no entry has the
  // symbol; false when neither is there. Counts the use.
  bool Find(bool meta, const std::string& symbol, const std::string& msgid, PoEntry& entry) {
    if (const auto it = by_symbol_.find({meta, symbol}); it != by_symbol_.end()) {
      entry = Reread(symbol_refs_[it->second]);
      ++symbol_refs_[it->second].uses;
      return true;
    }
    if (meta) return false;
    const auto it = by_msgid_.find(std::hash<std::string>{}(msgid));
    if (it == by_msgid_.end()) return false;
    for (const std::size_t k : it->second) {
      entry = Reread(msgid_refs_[k]);
      if (entry.msgid != msgid) continue;
      EntryRef& ref = msgid_refs_[k];
      if (ref.uses++ > 0) ref.users.append(", ");
      ref.users.append(symbol);
      return true;
    }
    return false;
  }

  // The text of one message: the translation when it can be used, else
  // `base_text`. `base_msgid` is the base text as export writes it (the
  // numbered form of earlier exports is taken too);
  // `signature` is null for a meta-symbol, whose value is taken as it stands.
  std::string TextOf(const PoEntry* entry, const std::string& symbol, const std::string& base_text,
                     const std::string& base_msgid, const Signature* signature) {

    if (entry == nullptr || entry->msgstr[0].empty()) {
      ++counts_.untranslated;
      return base_text;
    }
    const std::string& msgstr = entry->msgstr[0];
    const Where at{po_file_, entry->msgstr_line, symbol.c_str()};
    if (entry->HasFlag("fuzzy")) {
      ++counts_.fuzzy;
      return base_text;
    }
    if (entry->msgid != base_msgid && !(signature != nullptr && IsNumberedForm(entry->msgid, base_text))) {
      SayOutdated(Where{po_file_, entry->line, symbol.c_str()});
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
          SayTranslationFault(at, error, options_.keep_going);
          Refuse();
        }
        return base_text;
      }
    } else if (const msgcomp::FormatCodeRule* rule = FormatRule(symbol);
               rule != nullptr && msgcomp::FormatCodeValue(text.c_str(), rule->highest) == 0) {
      SayBadFormatCode(at, rule->kind, rule->highest, options_.keep_going);
      Refuse();
      return base_text;
    }
    if (text.size() > msgcomp::kMaxTextLen) {
      SayTooLong(at, text.size(), msgcomp::kMaxTextLen);
      ++counts_.inexpressible;
      return base_text;
    }
    ++counts_.translated;
    return text;
  }

  // After the base: entries no message took, and msgids that several took.
  void ReportUnused() {
    for (const auto& [key, k] : by_symbol_) {
      if (symbol_refs_[k].uses > 0) continue;
      SayNotInBase(Where{po_file_, symbol_refs_[k].first, key.second.c_str()});
      ++counts_.dropped;
    }
    for (const EntryRef& ref : msgid_refs_) {
      if (ref.uses == 0) {
        SayMsgidNotInBase(Where{po_file_, ref.first, ""});
        ++counts_.dropped;
      } else if (ref.uses > 1) {
        SayAmbiguousMsgid(Where{po_file_, ref.first, ""}, ref.uses, ref.users.c_str());
      }
    }
  }

  // The entries with a msgctxt in file order, for the import without a base.
  template <typename Visit>
  void ForEachSymbolEntry(Visit visit) {
    std::vector<std::size_t> order;
    for (const auto& [key, k] : by_symbol_) order.push_back(k);
    std::sort(order.begin(), order.end());
    for (const std::size_t k : order) visit(Reread(symbol_refs_[k]));
  }
  // Without a base an entry without msgctxt names no message.
  void ReportMsgidEntries() {
    for (const EntryRef& ref : msgid_refs_) {
      SayNoContext(Where{po_file_, ref.first, ""});
      ++counts_.dropped;
    }
  }

  // The comment a written source starts with.
  void WriteHead(std::string& out) const {
    out.assign("/* Message source written by qomsgpo import");
    if (!language_.empty()) out.append(" for the language ").append(language_);
    out.append(". */\n\n");
  }

  Where At(const PoEntry& entry, long line) const { return Where{po_file_, line, entry.context.c_str()}; }
  void Fail() { failed_ = true; }
  bool failed() const { return failed_; }
  const ImportCounts& counts() const { return counts_; }

 private:
  static const msgcomp::FormatCodeRule* FormatRule(const std::string& symbol) {
    for (const msgcomp::FormatCodeRule& rule : msgcomp::kFormatCodeRules) {
      if (symbol == rule.name) return &rule;
    }
    return nullptr;
  }
  void Refuse() {
    ++counts_.refused;
    if (!options_.keep_going) failed_ = true;
  }
  PoEntry Reread(const EntryRef& ref) const {
    PoReader reader(text_, decoding_, ref.offset, ref.line);
    PoEntry entry;
    PoSyntaxError unused;
    (void)reader.Next(entry, unused);  // read once already without fault
    return entry;
  }

  const char* po_file_;
  ImportOptions options_;
  std::string text_;
  Utf8Converter converter_;
  PoDecoding decoding_;
  bool header_seen_ = false;
  std::string language_;
  std::map<std::pair<bool, std::string>, std::size_t> by_symbol_;  // into symbol_refs_
  std::vector<EntryRef> symbol_refs_;
  std::unordered_map<std::size_t, std::vector<std::size_t>> by_msgid_;  // hash -> into msgid_refs_
  std::vector<EntryRef> msgid_refs_;
  ImportCounts counts_;
  bool failed_ = false;
};

// Base mode: the base sources give every message and its facts.
bool ImportWithBase(Importer& importer, std::span<const char* const> base, std::string& out) {
  std::vector<msgcomp::SourceEntry> sources;
  if (msgcomp::ReadSourceEntries(base, sources) != 0) return false;
  std::map<std::pair<bool, std::string>, bool> known;
  for (const msgcomp::SourceEntry& s : sources) known[{s.number == 0, s.symbol}] = true;
  if (!importer.Index([&](const std::string& symbol) {
        return known.count({false, symbol}) == 0 && known.count({true, symbol}) != 0;
      })) {
    return false;
  }
  known.clear();
  importer.WriteHead(out);
  PoEntry entry;
  for (msgcomp::SourceEntry& source : sources) {
    const bool meta = source.number == 0;
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
    const std::string& msgid = meta ? source.text : format;
    const bool found = importer.Find(meta, source.symbol, msgid, entry);
    source.text = importer.TextOf(found ? &entry : nullptr, source.symbol, source.text, msgid,
                                  meta ? nullptr : &signature);
    if (!AppendSourceEntry(out, source)) importer.Fail();  // base responses never hold "]"
    source = msgcomp::SourceEntry{};  // what is written is not needed again
  }
  importer.ReportUnused();
  return true;
}

// Without base sources: each entry's facts comment and msgid stand for the base.
bool ImportAlone(Importer& importer, std::string& out) {
  if (!importer.Index([](const std::string&) { return false; })) return false;
  importer.WriteHead(out);
  importer.ReportMsgidEntries();
  importer.ForEachSymbolEntry([&](const PoEntry& entry) {
    const Where at = importer.At(entry, entry.line);
    EntryFacts facts;
    if (!ReadFacts(entry, facts)) {
      SayNoNumberComment(at);
      importer.Fail();
      return;
    }
    msgcomp::SourceEntry source{facts.number, facts.severity, entry.context, entry.msgid, facts.response, 0, 0};
    Signature signature;
    if (facts.number != 0) {
      FormatError error;
      if (!SignatureOfPo(entry.msgid, signature, error) || !PoToSource(entry.msgid, signature, source.text, error)) {
        SayMsgidFault(at, error);
        importer.Fail();
        return;
      }
    }
    source.text = importer.TextOf(&entry, entry.context, source.text, entry.msgid,
                                  facts.number != 0 ? &signature : nullptr);
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
      return;
    }
    if (!msgcomp::AppendSourceEntry(out, source)) importer.Fail();  // a "]" was refused above
  });
  return true;
}

}  // namespace

int ImportPo(const char* po_file, std::span<const char* const> base, const ImportOptions& options, std::string& out) {
  Importer importer(po_file, options);
  if (!importer.Load()) return 1;
  if (!(base.empty() ? ImportAlone(importer, out) : ImportWithBase(importer, base, out))) return 1;
  if (importer.failed()) return 1;
  SayImportSummary(po_file, importer.counts());
  return 0;
}

}  // namespace qokit::po
