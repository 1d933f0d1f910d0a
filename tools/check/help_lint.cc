#include "help_lint.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "help_format.h"

namespace qokit::check {

namespace {

constexpr std::size_t kWholeSource = std::string_view::npos;

// Collects the findings with their byte offsets and writes them sorted by
// position, so the order does not depend on which check found what first.
class Reporter {
 public:
  Reporter(std::string_view name, std::string_view source) : name_(name) {
    line_starts_.push_back(0);
    for (std::size_t i = 0; i < source.size(); ++i)
      if (source[i] == '\n') line_starts_.push_back(i + 1);
  }

  [[gnu::format(printf, 3, 4)]] void Error(std::size_t at, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Add(true, at, format, args);
    va_end(args);
  }

  [[gnu::format(printf, 3, 4)]] void Warning(std::size_t at, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Add(false, at, format, args);
    va_end(args);
  }

  Counts Write(std::FILE* out, bool warnings) {
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.at < b.at; });
    Counts counts;
    for (const Finding& f : findings_) {
      if (!f.error && !warnings) continue;
      ++(f.error ? counts.errors : counts.warnings);
      cli::Where where{name_, 0, {}, 0};
      if (f.at != kWholeSource) {
        const auto line = std::upper_bound(line_starts_.begin(), line_starts_.end(), f.at) - line_starts_.begin();
        where.line = static_cast<long>(line);
        where.column = static_cast<long>(f.at - line_starts_[static_cast<std::size_t>(line - 1)] + 1);
      }
      cli::PrintDiagnostic(out, f.error ? cli::Severity::kError : cli::Severity::kWarning, where, f.text);
    }
    return counts;
  }

 private:
  struct Finding {
    std::size_t at;
    bool error;
    std::string text;
  };

  [[gnu::format(printf, 4, 0)]] void Add(bool error, std::size_t at, const char* format, va_list args) {
    findings_.push_back({at, error, cli::FormatV(format, args)});
  }

  std::string_view name_;
  std::vector<std::size_t> line_starts_;
  std::vector<Finding> findings_;
};

// Every text of the lint, in one place.
void SayLineLengthUnusable(Reporter& r, int length) {
  r.Error(kWholeSource, "line length %d is not usable; it must be from %ld to %ld", length, format::kMinLineSize, format::kMaxLineSize);
}
void SayNoMajorHeading(Reporter& r) { r.Error(kWholeSource, "no \"$H\" heading: the compiler writes no help text"); }
void SayTooManyHeadings(Reporter& r, long count) {
  r.Error(kWholeSource, "%ld headings; the compiler takes at most %ld", count, format::kMaxHeadings);
}
void SayReadInPieces(Reporter& r, std::size_t at, std::size_t length, std::size_t pieces, std::size_t piece) {
  r.Warning(at, "line of %zu bytes is read as %zu lines of at most %zu bytes", length, pieces, piece);
}
void SayBytesLost(Reporter& r, std::size_t at, int length, std::size_t lost, std::size_t size) {
  r.Warning(at, "the line length %d cuts off %zu of the line's %zu bytes", length, lost, size);
}
void SayCarriageReturn(Reporter& r, std::size_t at) {
  r.Warning(at, "carriage return before the line end is kept in the help text");
}
void SayCutByLineLength(Reporter& r, std::size_t at, std::size_t kept, std::size_t size, int length) {
  r.Error(at, "UTF-8 character cut by the line length %d: the help text keeps %zu of its %zu bytes", length, kept,
          size);
}
void SayPieceEndsInChar(Reporter& r, std::size_t at, std::size_t head, std::size_t size) {
  r.Error(at, "UTF-8 character split where the line is read in pieces: this piece ends with %zu of its %zu bytes", head,
          size);
}
void SayCutByPieces(Reporter& r, std::size_t at, std::size_t tail, std::size_t size) {
  r.Error(at, "UTF-8 character split where the line is read in pieces: the next piece begins with %zu of its %zu bytes",
          tail, size);
}
void SayCutInButtonName(Reporter& r, std::size_t at, std::size_t kept, std::size_t size) {
  r.Error(at, "UTF-8 character cut by the %zu-byte button name limit: the name keeps %zu of its %zu bytes",
          format::kButtonNameMax, kept, size);
}
void SayButtonNameCut(Reporter& r, std::size_t at, std::size_t length) {
  r.Warning(at, "button name of %zu bytes is cut to %zu", length, format::kButtonNameMax);
}
void SayTagBeforeFirstMajor(Reporter& r, std::size_t at) {
  r.Error(at, "line starting with \"$\" before the first \"$H\" heading: the compiler rejects it");
}
void SayPieceIsHeading(Reporter& r, std::size_t at, char letter) {
  r.Error(at, "the line is split here and its next piece, beginning \"$%c\", is read as a heading", letter);
}
void SayLinkOutOfRange(Reporter& r, std::size_t at, long value) {
  r.Error(at, "link number %ld is outside the range 0 to %ld", value, format::kMaxLinkNumber);
}
void SayLinkNotEnded(Reporter& r, std::size_t at) { r.Error(at, "link number is not followed by '%c'", format::kLinkEnd); }
void SayNoButtonEnd(Reporter& r, std::size_t at) {
  r.Error(at, "heading line without \"%s\" after its button name: the compiler rejects it", format::kButtonEnd);
}
void SayWordTag(Reporter& r, std::size_t at, std::string_view word) {
  r.Error(at, "\"%.*s\" is read as a \"$%c\" heading tag", static_cast<int>(word.size()), word.data(), word[1]);
}
void SayLegacyLinkNotEnded(Reporter& r, std::size_t at, char letter) {
  r.Error(at, "link number of the \"$%c\" heading is not ended by '%c' within %d bytes", letter, format::kLinkEnd,
          format::kMaxLinkDigits);
}
void SayLegacyLinkNotDigits(Reporter& r, std::size_t at, char letter) {
  r.Error(at, "link number of the \"$%c\" heading holds a byte that is not a digit", letter);
}
void SayNeverClosed(Reporter& r, std::size_t at, char letter) {
  r.Error(at, "\"$%c\" heading is never closed: its button name runs to the end of the source", letter);
}
void SayNameOverLineEnd(Reporter& r, std::size_t at, char letter) {
  r.Warning(at, "button name of the \"$%c\" heading runs over a line end; is its closing tag missing?", letter);
}
void SayCountedTag(Reporter& r, std::size_t at, char letter, const char* where) {
  r.Error(at, "\"$%c\" %s, but the compiler's heading count takes it for a tag", letter, where);
}
void SayWrapNeverClosed(Reporter& r, std::size_t at) {
  r.Error(at, "wrap region is never closed: every line end to the end of the source becomes a blank");
}

unsigned char Byte(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }
bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 character that starts at `at`, or 0.
std::size_t CharLengthAt(std::string_view s, std::size_t at) {
  const unsigned char lead = Byte(s, at);
  if (lead < 0x80) return 1;
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range, narrower after some leads
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + n > s.size() || Byte(s, at + 1) < low || Byte(s, at + 1) > high) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if (!IsContinuation(Byte(s, at + i))) return 0;
  return n;
}

struct CutChar {
  std::size_t start;   // offset in the string cut
  std::size_t length;  // the character's bytes
};

// The well-formed multi-byte character of the source `s` that a cut before
// byte `cut` falls inside. Bytes that were no character before the cut are not
// reported: they are the source's own fault, not the compiler's.
std::optional<CutChar> CharAcross(std::string_view s, std::size_t cut) {
  if (cut == 0 || cut >= s.size()) return std::nullopt;
  for (std::size_t back = 1; back <= 3 && back <= cut; ++back) {
    const std::size_t start = cut - back;
    if (IsContinuation(Byte(s, start))) continue;
    const std::size_t n = CharLengthAt(s, start);
    if (n > back) return CutChar{start, n};
    return std::nullopt;
  }
  return std::nullopt;
}

// A button name of `size` bytes at `at` in the source: a name longer than
// its field is cut to it, in both syntaxes.
void CheckButtonName(Reporter& r, std::string_view source, std::size_t at, std::size_t size) {
  if (size <= format::kButtonNameMax) return;
  const std::size_t cut = at + format::kButtonNameMax;
  SayButtonNameCut(r, cut, size);
  if (const auto c = CharAcross(source, cut)) SayCutInButtonName(r, c->start, cut - c->start, c->length);
}

std::string_view WithoutLineEnd(std::string_view piece) {
  return !piece.empty() && piece.back() == '\n' ? piece.substr(0, piece.size() - 1) : piece;
}

// The tagged syntax: lines read in pieces, each piece a record of exactly
// the line length.
class TaggedLint {
 public:
  TaggedLint(std::string_view source, int length, Reporter& r)
      : s_(source), length_(length), width_(static_cast<std::size_t>(length)), r_(r) {}

  void Run() {
    for (std::size_t start = 0; start < s_.size();) {
      const std::size_t lf = s_.find('\n', start);
      const std::size_t end = lf == std::string_view::npos ? s_.size() : lf + 1;
      Line(start, end);
      start = end;
    }
    if (!started_) SayNoMajorHeading(r_);
    if (headings_ > format::kMaxHeadings) SayTooManyHeadings(r_, headings_);
  }

 private:
  void Line(std::size_t start, std::size_t end) {
    const std::size_t piece_max = format::max_read_bytes(length_);
    const std::string_view line = s_.substr(start, end - start);
    const std::size_t pieces = (line.size() + piece_max - 1) / piece_max;
    lost_ = 0;
    first_lost_ = 0;
    bool stored = false;  // lines before the first heading are dropped
    // The bytes of the previous piece that its record keeps: a heading's
    // text may end with the piece, and then keeps the first part of a
    // character that the next piece begins with the rest of.
    std::size_t kept_from = 0;
    std::size_t kept_to = 0;
    for (std::size_t p = 0, j = 0; p < line.size(); p += piece_max, ++j) {
      const std::string_view piece = line.substr(p, piece_max);
      const bool heading = IsHeading(piece);
      if (heading) ++headings_;
      if (!started_) {
        if (heading && piece[1] == format::kMajorTag) {
          started_ = true;
        } else {
          if (!piece.empty() && piece[0] == format::kTagMark) SayTagBeforeFirstMajor(r_, start + p);
          continue;
        }
      }
      stored = true;
      if (j > 0) {
        if (heading) SayPieceIsHeading(r_, start + p, piece[1]);
        const std::size_t cut = start + p;
        if (const auto c = CharAcross(s_, cut)) {
          if (kept_to == cut && kept_from <= c->start) SayPieceEndsInChar(r_, c->start, cut - c->start, c->length);
          SayCutByPieces(r_, c->start, c->start + c->length - cut, c->length);
        }
      }
      std::size_t record_at = start + p;
      std::string_view record = WithoutLineEnd(piece);
      if (heading) {
        if (const auto text = HeadingText(piece, start + p)) {
          record_at += static_cast<std::size_t>(text->data() - piece.data());
          record = *text;
        }
      }
      Record(record, record_at, piece.back() == '\n');
      kept_from = record_at;
      kept_to = record_at + std::min(record.size(), width_);
    }
    const std::size_t content = WithoutLineEnd(line).size();
    if (stored && pieces > 1) SayReadInPieces(r_, start + piece_max, content, pieces, piece_max);
    if (lost_ > 0) SayBytesLost(r_, first_lost_, length_, lost_, content);
  }

  static bool IsHeading(std::string_view piece) {
    return piece.size() >= 2 && piece[0] == format::kTagMark && (piece[1] == format::kMajorTag || piece[1] == format::kSubTag);
  }

  // What the compiler keeps of one record: the first `width_` bytes.
  void Record(std::string_view record, std::size_t at, bool ends_line) {
    if (record.size() > width_) {
      if (lost_ == 0) first_lost_ = at + width_;
      lost_ += record.size() - width_;
      // The whole source, not the record: the piece may end inside the same character.
      if (const auto c = CharAcross(s_, at + width_))
        SayCutByLineLength(r_, c->start, at + width_ - c->start, c->length, length_);
    }
    if (ends_line && !record.empty() && record.back() == '\r' && record.size() <= width_)
      SayCarriageReturn(r_, at + record.size() - 1);
  }

  // Reads a heading piece as the compiler does: two link numbers as strtol
  // reads them, each followed by '%', the button name up to "$-". Returns
  // the heading text, or nothing when the compiler rejects the heading and
  // stores the piece as it stands.
  std::optional<std::string_view> HeadingText(std::string_view piece, std::size_t at) {
    const std::string line(piece);  // terminated, as the compiler's buffer is
    const char* base = line.c_str();
    const char* next = base + 2;
    for (int field = 0; field < 2; ++field) {
      char* end = nullptr;
      const long value = std::strtol(next, &end, 10);
      if (value > format::kMaxLinkNumber || value < 0) SayLinkOutOfRange(r_, at + static_cast<std::size_t>(next - base), value);
      if (*end != format::kLinkEnd) SayLinkNotEnded(r_, at + static_cast<std::size_t>(end - base));
      next = *end == '\0' ? end : end + 1;
    }
    const char* name_end = std::strstr(next, format::kButtonEnd);
    if (name_end == nullptr) {
      SayNoButtonEnd(r_, at);
      return std::nullopt;
    }
    const std::size_t name_at = static_cast<std::size_t>(next - base);
    const std::string_view name = piece.substr(name_at, static_cast<std::size_t>(name_end - next));
    CheckButtonName(r_, s_, at + name_at, name.size());
    const std::size_t text_at = static_cast<std::size_t>(name_end - base) + format::kButtonEndBytes;
    return WithoutLineEnd(piece.substr(text_at));
  }

  std::string_view s_;
  int length_;
  std::size_t width_;
  Reporter& r_;
  bool started_ = false;
  long headings_ = 0;
  std::size_t lost_ = 0;
  std::size_t first_lost_ = 0;
};

// The legacy syntax: a byte stream of paired heading tags, section text and
// wrap regions. Beside what it reads, the compiler counts the headings in a
// pass of its own that takes every other tag letter for an opening tag; a
// tag letter that the reading pass treats as text or as part of a name
// shifts that pairing, and the tables then get too many or too few entries.
class LegacyLint {
 public:
  LegacyLint(std::string_view source, Reporter& r) : s_(source), r_(r) {}

  void Run() {
    if (!SkipToFirstMajor()) {
      SayNoMajorHeading(r_);
      return;
    }
    CarriageReturnsFrom(i_ - 2);
    Heading(format::kMajorTag, i_ - 2);
    while (i_ < s_.size()) {
      if (s_[i_++] != format::kTagMark || i_ >= s_.size()) continue;
      const std::size_t tag_at = i_ - 1;
      const char next = s_[i_++];
      if (format::is_legacy_heading_letter(next)) {
        if (!IsWordTag(tag_at)) Heading(next, tag_at);
      } else if (next == format::kWrapTag) {
        WrapRegion(tag_at);
      }
    }
    if (const long count = CompilerCount(); count > format::kMaxHeadings) SayTooManyHeadings(r_, count);
  }

 private:
  // As the compiler skips: to the first "$" followed by "H", where a "$"
  // always takes the next byte with it. Only the first tag skipped is
  // reported; the rest of the skipped text is one fault with it.
  bool SkipToFirstMajor() {
    bool reported = false;
    while (i_ < s_.size()) {
      if (s_[i_++] != format::kTagMark || i_ >= s_.size()) continue;
      const std::size_t tag_at = i_ - 1;
      const char next = s_[i_++];
      if (next == format::kMajorTag) {
        if (!IsWordTag(tag_at)) return true;
      } else if (format::is_legacy_heading_letter(next) && !reported) {
        SayCountedTag(r_, tag_at, next, "before the first \"$H\" heading is skipped");
        reported = true;
      }
    }
    return false;
  }

  // A tag letter that starts a word ("$HOME", "$SYSTEM") was meant as text.
  // It is reported and then read as text, so that one slip is one error.
  bool IsWordTag(std::size_t tag_at) {
    const auto word_byte = [](unsigned char b) {
      return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' || b >= 0x80;
    };
    std::size_t end = tag_at + 2;
    while (end < s_.size() && word_byte(Byte(s_, end))) ++end;
    if (end == tag_at + 2) return false;
    SayWordTag(r_, tag_at, s_.substr(tag_at, end - tag_at));
    return true;
  }

  void Heading(char letter, std::size_t tag_at) {
    for (int field = 0; field < 2; ++field) LinkNumber(letter);
    const std::size_t name_at = i_;
    std::size_t first_line_end = std::string_view::npos;
    while (i_ < s_.size()) {
      const char c = s_[i_++];
      if (c == '\n' && first_line_end == std::string_view::npos) first_line_end = i_ - 1;
      if (c != format::kTagMark || i_ >= s_.size()) continue;
      const char next = s_[i_++];
      if (next == letter) {
        CheckButtonName(r_, s_, name_at, i_ - 2 - name_at);
        if (first_line_end != std::string_view::npos) SayNameOverLineEnd(r_, first_line_end, letter);
        return;
      }
      if (next == '\n' && first_line_end == std::string_view::npos) first_line_end = i_ - 1;
      if (format::is_legacy_heading_letter(next)) SayCountedTag(r_, i_ - 2, next, "inside a button name is kept in it");
    }
    SayNeverClosed(r_, tag_at, letter);
  }

  // At most kMaxLinkDigits bytes; '%' ends the field and is consumed, "$"
  // ends it and stays.
  void LinkNumber(char letter) {
    const std::size_t field_at = i_;
    std::size_t stray = std::string_view::npos;
    for (int k = 0; k < format::kMaxLinkDigits && i_ < s_.size(); ++k) {
      const char c = s_[i_];
      if (c == format::kTagMark) break;
      ++i_;
      if (c == format::kLinkEnd) {
        if (stray != std::string_view::npos) SayLegacyLinkNotDigits(r_, stray, letter);
        return;
      }
      if ((c < '0' || c > '9') && stray == std::string_view::npos) stray = i_ - 1;
    }
    SayLegacyLinkNotEnded(r_, field_at, letter);
  }

  void WrapRegion(std::size_t tag_at) {
    while (i_ < s_.size()) {
      if (s_[i_++] != format::kTagMark || i_ >= s_.size()) continue;
      const char next = s_[i_++];
      if (next == format::kWrapTag) return;
      if (format::is_legacy_heading_letter(next)) SayCountedTag(r_, i_ - 2, next, "inside a wrap region is copied as text");
    }
    SayWrapNeverClosed(r_, tag_at);
  }

  // Every line end from the first heading on is copied, and so is the
  // carriage return before it.
  void CarriageReturnsFrom(std::size_t from) {
    for (std::size_t at = s_.find("\r\n", from); at != std::string_view::npos; at = s_.find("\r\n", at + 2))
      SayCarriageReturn(r_, at);
  }

  // The compiler's own heading count: one at every other tag letter.
  long CompilerCount() const {
    long count = 0;
    bool open = false;
    for (std::size_t k = 0; k < s_.size(); ++k) {
      if (s_[k] != format::kTagMark || k + 1 >= s_.size()) continue;
      if (format::is_legacy_heading_letter(s_[++k])) {
        if (!open) ++count;
        open = !open;
      }
    }
    return count;
  }

  std::string_view s_;
  Reporter& r_;
  std::size_t i_ = 0;
};

}  // namespace

Counts LintHelpSource(std::string_view name, std::string_view bytes, const Options& options, std::FILE* out) {
  Reporter r(name, bytes);
  if (options.legacy) {
    LegacyLint(bytes, r).Run();
  } else if (options.line_length < format::kMinLineSize || options.line_length > format::kMaxLineSize) {
    SayLineLengthUnusable(r, options.line_length);
  } else {
    TaggedLint(bytes, options.line_length, r).Run();
  }
  return r.Write(out, options.warnings);
}

}  // namespace qokit::check
