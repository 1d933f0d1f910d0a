// Translations in gettext's PO form (read with the production PO reader)
// turned into a message source, for testing the compiler and the reader on
// real catalogues.
//
// Every translated string becomes one message; a printf conversion of it,
// "%s" or "%2$s", becomes an insert of that argument, "@1%s" or "@2%s".
// Strings the message format cannot carry are counted by reason and left out.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "qokit/qomsg.h"

namespace kittest {

struct PoEntry {
  std::string msgid;
  std::string msgid_plural;
  std::vector<std::string> msgstr;  // one per plural form
};

// The entries of a PO file's text, the header entry left out.
std::vector<PoEntry> ParsePo(const std::string& text);

struct ConvertedMessage {
  long number = 0;
  std::string translation;      // as the PO file has it
  bool is_format = false;       // its original is a printf format
  std::vector<qomsg_arg> args;  // what the original's conversions take, in order
};

struct PoConversion {
  std::string source;  // the message source, one message per translation
  std::vector<ConvertedMessage> messages;
  std::map<std::string, int> skipped;  // reason -> count
};

PoConversion ConvertPo(const std::vector<PoEntry>& entries);

}  // namespace kittest
