#include "po_source.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <set>
#include <string_view>

#include "insert_syntax.h"
#include "po_file.h"
#include "source_text.h"

namespace kittest {

namespace {

// One conversion of a gettext printf format: "%", an optional "n$", flags,
// width, precision, length and letter.
struct Conversion {
  std::size_t begin = 0, end = 0;
  int position = 0;           // n of "n$", 0 when not positional
  std::string spec;           // without the "n$"
  bool positional_star = false;
};

// The conversions of a format; nullopt when it has a "%" that starts none.
std::optional<std::vector<Conversion>> Conversions(std::string_view f) {
  std::vector<Conversion> out;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    if (i + 1 < f.size() && f[i + 1] == '%') {
      ++i;
      continue;
    }
    Conversion c;
    c.begin = i;
    std::size_t j = i + 1;
    const auto digits = [&] {
      const std::size_t start = j;
      while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j]))) ++j;
      return f.substr(start, j - start);
    };
    const std::size_t save = j;
    const std::string_view n = digits();
    if (!n.empty() && j < f.size() && f[j] == '$') {
      c.position = std::stoi(std::string(n));
      ++j;
    } else {
      j = save;
    }
    c.spec.assign(1, '%');
    while (j < f.size() && std::string_view("-+ #0'I").find(f[j]) != std::string_view::npos) c.spec += f[j++];
    const auto field = [&] {
      if (j < f.size() && f[j] == '*') {
        c.spec += f[j++];
        const std::size_t back = j;
        if (!digits().empty() && j < f.size() && f[j] == '$') {
          c.positional_star = true;
          ++j;
        } else {
          j = back;
        }
      } else {
        c.spec += digits();
      }
    };
    field();
    if (j < f.size() && f[j] == '.') {
      c.spec += f[j++];
      field();
    }
    while (j < f.size() && std::string_view("hlLqjzt").find(f[j]) != std::string_view::npos) c.spec += f[j++];
    if (j == f.size() || !std::isalpha(static_cast<unsigned char>(f[j]))) return std::nullopt;
    c.spec += f[j++];
    c.end = j;
    out.push_back(c);
  }
  return out;
}

qomsg_arg ValueFor(std::string_view spec) {
  static const wchar_t kWide[] = L"wide";
  qomsg_arg a{};
  a.type = qokit::format::TypeCode(spec);
  switch (a.type) {
    case QOMSG_ARG_INT: a.v.i = 65; break;
    case QOMSG_ARG_LONG: a.v.l = 1234567; break;
    case QOMSG_ARG_DOUBLE: a.v.d = 2.5; break;
    default: a.v.p = spec.size() > 2 && spec[spec.size() - 2] == 'l' ? static_cast<const void*>(kWide) : "str"; break;
  }
  return a;
}

// What the original's conversions take, in argument order; nullopt with the
// reason when the original itself is not a format this test can drive.
std::optional<std::vector<qomsg_arg>> ArgumentsOf(const std::vector<Conversion>& conversions, const char*& reason) {
  std::map<int, std::string> by_position;
  std::vector<qomsg_arg> args;
  reason = "an original with positional arguments that are not 1..N";
  for (const Conversion& c : conversions) {
    if (qokit::format::Judge(c.spec) != qokit::format::Verdict::kSound) {
      reason = "an original with a conversion the compiler refuses (%lc, %zu, %Lf...)";
      return std::nullopt;
    }
    // Stars would make argument numbers and argument positions differ.
    if (c.spec.find('*') != std::string::npos) {
      reason = "an original with a star";
      return std::nullopt;
    }
    if (c.position > 0) {
      by_position[c.position] = c.spec;
    } else {
      args.push_back(ValueFor(c.spec));
    }
  }
  if (!args.empty() && !by_position.empty()) return std::nullopt;
  for (const auto& [position, spec] : by_position) {
    if (position != static_cast<int>(args.size()) + 1) return std::nullopt;
    args.push_back(ValueFor(spec));
  }
  return args;
}

}  // namespace

std::vector<PoEntry> ParsePo(const std::string& text) {
  std::vector<qokit::po::PoEntry> read;
  qokit::po::PoSyntaxError error;
  if (!qokit::po::ReadPo(text, read, error)) {
    ADD_FAILURE() << "PO syntax, line " << error.line << ": " << error.what;
    return {};
  }
  std::vector<PoEntry> entries;
  for (qokit::po::PoEntry& entry : read) {
    if (!entry.msgid.empty()) entries.push_back({entry.msgid, entry.msgid_plural, std::move(entry.msgstr)});
  }
  return entries;
}

PoConversion ConvertPo(const std::vector<PoEntry>& entries) {
  PoConversion result;
  long number = 0;
  for (const PoEntry& entry : entries) {
    for (std::size_t form = 0; form < entry.msgstr.size(); ++form) {
      const std::string& translation = entry.msgstr[form];
      if (translation.empty()) continue;
      const std::string& original = form > 0 && !entry.msgid_plural.empty() ? entry.msgid_plural : entry.msgid;
      const auto skip = [&](const char* reason) { ++result.skipped[reason]; };
      if (translation.find('@') != std::string::npos) {
        skip("a literal @");
        continue;
      }
      ConvertedMessage m;
      m.translation = translation;
      m.is_format = original.find('%') != std::string::npos;
      std::string text;
      if (!m.is_format) {
        // Plain text: every "%" is literal and is written "%%".
        for (const char c : translation) text += c == '%' ? std::string("%%") : std::string(1, c);
      } else {
        const auto from = Conversions(original);
        const char* reason = "an original with a lone %";
        const auto args = from ? ArgumentsOf(*from, reason) : std::nullopt;
        const auto to = Conversions(translation);
        if (!args) {
          skip(reason);
          continue;
        }
        if (!to) {
          skip("a lone % in the translation");
          continue;
        }
        m.args = *args;
        std::set<int> used;
        int sequential = 0;
        bool positional = false;
        std::size_t copied = 0;
        const char* problem = nullptr;
        for (const Conversion& c : *to) {
          const int argument = c.position > 0 ? c.position : ++sequential;
          const qokit::format::Verdict verdict = qokit::format::Judge(c.spec);
          if (verdict == qokit::format::Verdict::kLongDouble) {
            problem = "a long double conversion";
          } else if (verdict != qokit::format::Verdict::kSound || c.positional_star) {
            problem = "a conversion the compiler refuses (%lc, %zu, %I...)";
          } else if (c.spec.find('*') != std::string::npos) {
            problem = "a star, which the original does not have";
          } else if (c.position > 0 ? sequential > 0 : positional) {
            problem = "positional and plain conversions mixed";
          } else if (!used.insert(argument).second) {
            problem = "an argument shown twice";
          } else if (static_cast<std::size_t>(argument) > m.args.size() ||
                     m.args[static_cast<std::size_t>(argument) - 1].type != qokit::format::TypeCode(c.spec)) {
            problem = "a conversion of another type than the original's";
          }
          if (problem != nullptr) break;
          positional |= c.position > 0;
          text.append(translation, copied, c.begin - copied);
          text.append("@").append(std::to_string(argument)).append(c.spec);
          copied = c.end;
        }
        if (problem == nullptr && !used.empty() && *used.rbegin() != static_cast<int>(used.size())) {
          problem = "an argument left out before the last one";
        }
        if (problem != nullptr) {
          skip(problem);
          continue;
        }
        text.append(translation, copied, std::string::npos);
      }
      if (text.size() > 1024) {
        skip("more than 1024 bytes");
        continue;
      }
      m.number = ++number;
      const std::string symbol = "MSG_" + std::to_string(m.number);
      (void)qokit::format::AppendSourceEntry(result.source, {m.number, 4 /* I */, symbol, "", text},
                                             qokit::format::TextLayout::kLineFeeds);
      result.messages.push_back(m);
    }
  }
  return result;
}

}  // namespace kittest
