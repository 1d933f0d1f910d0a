// genobj: the message object file that the clients load at run time
// (object_format.h has its layout).
#pragma once

#include "object_format.h"

// genobj: checks the sources against the symbol file, compiles every text and
// writes the object file (replaced only when completely written). 0, 1 or -1.
[[nodiscard]] int GenerateObjectFile();

// Second pass: fills compiled, compiledLen, response and severity of every
// symbol. 0, or 1 after a message.
[[nodiscard]] int CompileMessages();

// Write the control block, the index and the text blocks to msgState->objFile;
// 0, or 1 after a message.
[[nodiscard]] int WriteObjectHeader();
[[nodiscard]] int WriteObjectIndex();
[[nodiscard]] int WriteObjectTexts();

// Blocks that a message of length bytes (response plus compiled text) needs.
long BlockCount(long length);
