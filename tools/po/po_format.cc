#include "po_format.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstring>
#include <utility>

#include "insert_syntax.h"

namespace qokit::po {

namespace {

// Slots of a text with at most kMaxArgumentNumber arguments of two stars each.
constexpr int kMaxSlot = 3 * qokit::format::kMaxArgumentNumber;

bool Fail(FormatError& error, FormatFault fault, int conversion, int argument = 0) {
  error = FormatError{fault, conversion, argument};
  return false;
}

// The letters that end a conversion for printf; the mapping places only
// some of them, and a "%" before any other byte is no conversion at all.
constexpr std::string_view kPrintfLetters = "diouxXeEfFgGaAcspnmCS";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void AppendSlot(std::string& out, int slot) {
  char digits[8];
  char* at = digits + sizeof digits;
  *--at = '$';
  do {
    *--at = static_cast<char>('0' + slot % 10);
    slot /= 10;
  } while (slot > 0);
  out.append(at, static_cast<std::size_t>(digits + sizeof digits - at));
}

// Appends a printf conversion of an insert with "n$" numbers: the value in
// slot first + stars, the stars in the slots before it.
void AppendPositional(std::string& out, const qokit::format::Conversion& c, int first) {
  out.append(1, '%');
  AppendSlot(out, first + c.stars);
  out.append(c.flags);
  int star = first;
  const auto field = [&](std::string_view text) {
    if (text == "*") {
      out.append(1, '*');
      AppendSlot(out, star++);
    } else {
      out.append(text);
    }
  };
  field(c.width);
  if (c.has_precision) {
    out.append(1, '.');
    field(c.precision);
  }
  out.append(c.length_text).append(1, c.letter);
}

// Whether a translated conversion takes the value the original's takes. The
// type codes must agree, and for pointers also what printf reads through
// them: a %s given a wide string or a %p's pointer would print garbage.
bool SameValue(std::string_view original, std::string_view translated) {
  const int type = qokit::format::TypeCode(original);
  if (type != qokit::format::TypeCode(translated)) return false;
  if (type != qokit::format::kTypePointer) return true;
  qokit::format::Conversion a, b;
  return qokit::format::ParsePrintf(original, a) && qokit::format::ParsePrintf(translated, b) && a.letter == b.letter &&
         a.length_text == b.length_text;
}

// Reads "digits$" at format[j]; advances j past it when it is there.
bool TakePosition(std::string_view format, std::size_t& j, int& slot) {
  std::size_t k = j;
  long value = 0;
  while (k < format.size() && IsDigit(format[k])) {
    value = std::min<long>(value * 10 + (format[k] - '0'), kMaxSlot + 1);
    ++k;
  }
  if (k == j || k >= format.size() || format[k] != '$') return false;
  slot = static_cast<int>(value);
  j = k + 1;
  return true;
}

}  // namespace

bool SourceToPo(const std::string& text, std::string& format, Signature& signature, FormatError& error,
                bool numbered) {
  struct Found {
    long argument;
    std::string_view piece, conversion;  // the literal text before the insert, and its conversion
    qokit::format::Conversion parsed;
  };
  // Most texts have no insert: they are their own format.
  if (std::strchr(text.c_str(), '@') == nullptr) {
    const std::string_view whole(text.c_str());
    if (qokit::format::LonePercent(whole) != std::string_view::npos) return Fail(error, FormatFault::kLonePercent, 1);
    signature.clear();
    format.assign(whole);
    return true;
  }
  // Kept from call to call (export maps every text of a catalogue): its
  // room stays, so a text costs no allocation for its inserts.
  thread_local std::vector<Found> inserts;
  inserts.clear();
  const char* rest = text.c_str();
  qokit::format::InsertSpan span;
  while (qokit::format::NextInsert(rest, span)) {
    const int k = static_cast<int>(inserts.size()) + 1;
    const std::string_view piece(rest, static_cast<std::size_t>(span.at - rest));
    if (qokit::format::LonePercent(piece) != std::string_view::npos) return Fail(error, FormatFault::kLonePercent, k);
    if (span.argument < 1 || span.argument > qokit::format::kMaxArgumentNumber || *span.percent != '%' ||
        span.end == nullptr) {
      return Fail(error, FormatFault::kBadInsert, k, static_cast<int>(std::max(span.argument, 0L)));
    }
    const std::string_view conversion = qokit::format::ConversionOf(span);
    Found found{span.argument, piece, conversion, {}};
    if (qokit::format::Judge(conversion) != qokit::format::Verdict::kSound || !qokit::format::ParsePrintf(conversion, found.parsed)) {
      return Fail(error, FormatFault::kBadInsert, k, static_cast<int>(span.argument));
    }
    inserts.push_back(found);
    rest = span.end;
  }
  const std::string_view last(rest);
  if (qokit::format::LonePercent(last) != std::string_view::npos) {
    return Fail(error, FormatFault::kLonePercent, static_cast<int>(inserts.size()) + 1);
  }

  const std::size_t count = inserts.size();
  signature.assign(count, ArgumentShape{});
  // Every argument number is at most kMaxArgumentNumber (checked above), and
  // past this loop so is their count.
  std::array<bool, qokit::format::kMaxArgumentNumber> seen{};
  for (std::size_t k = 0; k < count; ++k) {
    const long n = inserts[k].argument;
    if (n > static_cast<long>(count) || seen[static_cast<std::size_t>(n - 1)]) {
      return Fail(error, FormatFault::kNotASequence, static_cast<int>(k + 1), static_cast<int>(n));
    }
    seen[static_cast<std::size_t>(n - 1)] = true;
    ArgumentShape& shape = signature[static_cast<std::size_t>(n - 1)];
    shape.stars = inserts[k].parsed.stars;
    shape.type = qokit::format::TypeCode(inserts[k].conversion);
    shape.conversion.assign(inserts[k].conversion);
  }
  std::array<int, qokit::format::kMaxArgumentNumber + 1> first;
  first[0] = 1;
  for (std::size_t a = 0; a < count; ++a) first[a + 1] = first[a] + signature[a].stars + 1;

  // Inserts in argument order are plain conversions, as a gettext project's
  // own msgids are; printf takes their stars and values in that order too.
  bool in_order = !numbered;
  for (std::size_t k = 0; k < count; ++k) in_order = in_order && inserts[k].argument == static_cast<long>(k + 1);
  format.clear();
  for (const Found& found : inserts) {
    format.append(found.piece);
    if (in_order) {
      format.append(found.conversion);
    } else {
      AppendPositional(format, found.parsed, first[static_cast<std::size_t>(found.argument - 1)]);
    }
  }
  format.append(last);
  return true;
}

bool ParsePoFormat(std::string_view format, std::vector<PoConversion>& out, FormatError& error) {
  out.clear();
  enum class Numbering { kUnknown, kPositional, kPlain } numbering = Numbering::kUnknown;
  int next_plain = 1;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    const int k = static_cast<int>(out.size()) + 1;
    PoConversion c;
    c.begin = i;
    std::size_t j = i + 1;
    // Every number of a format is written or none is: printf's rule.
    const auto numbered = [&](bool positional) {
      const Numbering now = positional ? Numbering::kPositional : Numbering::kPlain;
      if (numbering != Numbering::kUnknown && numbering != now) return false;
      numbering = now;
      return true;
    };
    int value_slot = 0;
    const bool value_positional = TakePosition(format, j, value_slot);
    c.spec.assign(1, '%');
    while (j < format.size() && std::string_view("-+ #0'I").find(format[j]) != std::string_view::npos) {
      c.spec.append(1, format[j++]);
    }
    const auto field = [&]() -> bool {
      if (j < format.size() && format[j] == '*') {
        c.spec.append(1, format[j++]);
        int slot = 0;
        const bool positional = TakePosition(format, j, slot);
        if (!numbered(positional)) return false;
        c.star_slots[c.stars++] = positional ? slot : next_plain++;
        return true;
      }
      while (j < format.size() && IsDigit(format[j])) c.spec.append(1, format[j++]);
      return true;
    };
    if (!field()) return Fail(error, FormatFault::kMixedNumbering, k);
    if (j < format.size() && format[j] == '.') {
      c.spec.append(1, format[j++]);
      if (!field()) return Fail(error, FormatFault::kMixedNumbering, k);
    }
    while (j < format.size() && std::string_view("hlLqjzt").find(format[j]) != std::string_view::npos) {
      c.spec.append(1, format[j++]);
    }
    if (j == format.size() || kPrintfLetters.find(format[j]) == std::string_view::npos) {
      return Fail(error, FormatFault::kLonePercent, k);
    }
    c.spec.append(1, format[j++]);
    if (!numbered(value_positional)) return Fail(error, FormatFault::kMixedNumbering, k);
    c.value_slot = value_positional ? value_slot : next_plain++;
    for (int s = -1; s < c.stars; ++s) {
      const int slot = s < 0 ? c.value_slot : c.star_slots[s];
      if (slot < 1) return Fail(error, FormatFault::kLonePercent, k);  // "%0$d" is no conversion
      if (slot > kMaxSlot) return Fail(error, FormatFault::kBeyondArguments, k, slot);
    }
    c.end = j;
    out.push_back(std::move(c));
    i = j - 1;
  }
  return true;
}

bool SignatureOfPo(std::string_view format, Signature& signature, FormatError& error) {
  std::vector<PoConversion> conversions;
  if (!ParsePoFormat(format, conversions, error)) return false;
  std::vector<std::size_t> order(conversions.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return conversions[a].value_slot < conversions[b].value_slot; });
  signature.clear();
  int next = 1;
  for (const std::size_t k : order) {
    const PoConversion& c = conversions[k];
    const int conversion = static_cast<int>(k) + 1;
    for (int s = 0; s < c.stars; ++s) {
      if (c.star_slots[s] != next + s) return Fail(error, FormatFault::kNotASequence, conversion, c.star_slots[s]);
    }
    if (c.value_slot != next + c.stars) return Fail(error, FormatFault::kNotASequence, conversion, c.value_slot);
    if (qokit::format::Judge(c.spec) != qokit::format::Verdict::kSound) return Fail(error, FormatFault::kUnsound, conversion);
    signature.push_back(ArgumentShape{c.stars, qokit::format::TypeCode(c.spec), c.spec});
    next = c.value_slot + 1;
  }
  return true;
}

bool PoToSource(std::string_view format, const Signature& signature, std::string& text, FormatError& error,
                int may_omit) {
  if (format.find('@') != std::string_view::npos) return Fail(error, FormatFault::kLiteralAt, 0);
  std::vector<PoConversion> conversions;
  if (!ParsePoFormat(format, conversions, error)) return false;
  std::vector<int> first(signature.size() + 1, 1);
  for (std::size_t a = 0; a < signature.size(); ++a) first[a + 1] = first[a] + signature[a].stars + 1;
  std::vector<bool> used(signature.size(), false);
  text.clear();
  std::size_t copied = 0;
  for (std::size_t k = 0; k < conversions.size(); ++k) {
    const PoConversion& c = conversions[k];
    const int conversion = static_cast<int>(k) + 1;
    std::size_t a = 0;
    while (a < signature.size() && first[a] + signature[a].stars != c.value_slot) ++a;
    if (a == signature.size()) return Fail(error, FormatFault::kBeyondArguments, conversion, c.value_slot);
    const int argument = static_cast<int>(a) + 1;
    if (used[a]) return Fail(error, FormatFault::kArgumentTwice, conversion, argument);
    used[a] = true;
    bool stars_fit = c.stars == signature[a].stars;
    for (int s = 0; stars_fit && s < c.stars; ++s) stars_fit = c.star_slots[s] == first[a] + s;
    if (!stars_fit) return Fail(error, FormatFault::kStarsDiffer, conversion, argument);
    if (qokit::format::Judge(c.spec) != qokit::format::Verdict::kSound) return Fail(error, FormatFault::kUnsound, conversion, argument);
    if (!SameValue(signature[a].conversion, c.spec)) return Fail(error, FormatFault::kTypeDiffers, conversion, argument);
    text.append(format.substr(copied, c.begin - copied)).append(1, '@').append(std::to_string(argument)).append(c.spec);
    copied = c.end;
  }
  for (std::size_t a = 0; a < used.size(); ++a) {
    if (!used[a] && static_cast<int>(a) + 1 != may_omit)
      return Fail(error, FormatFault::kArgumentMissing, 0, static_cast<int>(a) + 1);
  }
  text.append(format.substr(copied));
  return true;
}

bool FormToPo(const std::string& text, const Signature& signature, std::string& format, std::vector<bool>& shown,
              FormatError& error) {
  std::vector<int> first(signature.size() + 1, 1);
  for (std::size_t a = 0; a < signature.size(); ++a) first[a + 1] = first[a] + signature[a].stars + 1;
  shown.assign(signature.size(), false);
  struct Found {
    std::string_view piece, conversion;
    qokit::format::Conversion parsed;
    long argument;
  };
  std::vector<Found> inserts;
  bool in_order = true;
  const char* rest = text.c_str();
  qokit::format::InsertSpan span;
  while (qokit::format::NextInsert(rest, span)) {
    const int k = static_cast<int>(inserts.size()) + 1;
    if (span.argument < 1 || span.argument > static_cast<long>(signature.size()) || *span.percent != '%' ||
        span.end == nullptr) {
      return Fail(error, FormatFault::kBeyondArguments, k, static_cast<int>(std::max(span.argument, 0L)));
    }
    Found found{std::string_view(rest, static_cast<std::size_t>(span.at - rest)), qokit::format::ConversionOf(span),
                {}, span.argument};
    const ArgumentShape& shape = signature[static_cast<std::size_t>(span.argument - 1)];
    if (!qokit::format::ParsePrintf(found.conversion, found.parsed) || found.parsed.stars != shape.stars ||
        !SameValue(shape.conversion, found.conversion)) {
      return Fail(error, FormatFault::kTypeDiffers, k, static_cast<int>(span.argument));
    }
    if (shown[static_cast<std::size_t>(span.argument - 1)]) return Fail(error, FormatFault::kArgumentTwice, k);
    shown[static_cast<std::size_t>(span.argument - 1)] = true;
    in_order = in_order && span.argument == k;
    inserts.push_back(found);
    rest = span.end;
  }
  in_order = in_order && inserts.size() == signature.size();
  format.clear();
  for (const Found& found : inserts) {
    format.append(found.piece);
    if (in_order) {
      format.append(found.conversion);
    } else {
      AppendPositional(format, found.parsed, first[static_cast<std::size_t>(found.argument - 1)]);
    }
  }
  format.append(rest);
  return true;
}

std::string ResolveSystemConversions(std::string_view format) {
  // Each macro's name after "PRI" and its expansion on this system.
  static constexpr std::pair<std::string_view, std::string_view> kMacros[] = {
#define QOKIT_PRI(letter)                                                                                 \
  {#letter "8", PRI##letter##8}, {#letter "16", PRI##letter##16}, {#letter "32", PRI##letter##32},         \
      {#letter "64", PRI##letter##64}, {#letter "LEAST8", PRI##letter##LEAST8},                           \
      {#letter "LEAST16", PRI##letter##LEAST16}, {#letter "LEAST32", PRI##letter##LEAST32},               \
      {#letter "LEAST64", PRI##letter##LEAST64}, {#letter "FAST8", PRI##letter##FAST8},                   \
      {#letter "FAST16", PRI##letter##FAST16}, {#letter "FAST32", PRI##letter##FAST32},                   \
      {#letter "FAST64", PRI##letter##FAST64}, {#letter "MAX", PRI##letter##MAX}, {#letter "PTR", PRI##letter##PTR}
      QOKIT_PRI(d), QOKIT_PRI(i), QOKIT_PRI(o), QOKIT_PRI(u), QOKIT_PRI(x), QOKIT_PRI(X)
#undef QOKIT_PRI
  };
  std::string out;
  std::size_t copied = 0;
  for (std::size_t at = format.find("<PRI"); at != std::string_view::npos; at = format.find("<PRI", at + 1)) {
    const std::size_t close = format.find('>', at);
    if (close == std::string_view::npos) break;
    const std::string_view name = format.substr(at + 4, close - at - 4);
    for (const auto& [macro, expansion] : kMacros) {
      if (macro != name) continue;
      out.append(format.substr(copied, at - copied)).append(expansion);
      copied = close + 1;
      break;
    }
  }
  return out.append(format.substr(copied));
}

}  // namespace qokit::po
