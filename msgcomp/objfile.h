// The message object file, written by genobj.
#pragma once

// genobj: verifies the sources against the symbol file and writes the
// message object file. 0, 1 or -1.
[[nodiscard]] int GenerateObjectFile();
