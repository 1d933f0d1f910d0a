// genobj: the message object file that the clients load at run time
// (object_format.h has its layout).
#pragma once

#include "object_format.h"

namespace qokit::msgcomp {

// genobj: checks the sources against the symbol file, compiles every text and
// writes the object file (replaced only when completely written). 0, 1 or -1.
[[nodiscard]] int GenerateObjectFile();

// Second pass: fills compiled, compiledLen, response and severity of every
// symbol. 0, or 1 after a message.
[[nodiscard]] int CompileMessages();

// The object file is built in memory, a whole number of 64-byte blocks
// cleared to 0, and written at once. These fill the control block (0, or 1
// after the message for an invalid format code), the index blocks and the
// text blocks.
[[nodiscard]] int WriteObjectHeader(unsigned char* blocks);
void WriteObjectIndex(unsigned char* blocks);
void WriteObjectTexts(unsigned char* blocks);

// Blocks that a message of length bytes (response plus compiled text) needs.
long BlockCount(long length);

// The meta-symbols that set the control block's format codes, in the order
// genobj checks them; `kind` names the code in the compiler's message.
struct FormatCodeRule {
  const char* name;
  int highest;
  const char* kind;
};
inline constexpr FormatCodeRule kFormatCodeRules[3] = {
    {"DATEFORMAT", qokit::format::kHighestDateFmt, "date"},
    {"TIMEFORMAT", qokit::format::kHighestTimeFmt, "time"},
    {"NUMBERFORMAT", qokit::format::kHighestNmbrFmt, "number"}};

// The code a meta-symbol's value gives, 1 to highest, or 0 when it gives none
// (empty, not all digits, out of range).
int FormatCodeValue(const char* value, int highest);

}  // namespace qokit::msgcomp
