// The message object file that the clients load at run time, written by genobj.
//
// A sequence of 64-byte blocks numbered from 1 (block b at offset 64*(b-1));
// every integer little-endian. With H the highest message number and
// X = (H + 31) / 32 index blocks:
//   block 1        control block (nlsControlRec):
//                    0  4  magic "1R3V"
//                    4  4  minMsgNum      signed
//                    8  4  maxMsgNum      signed (H)
//                   12  4  msgCount       signed
//                   16  4  symbolCheckSum signed, equal to the symbol file's
//                   20  1  dateFmt 1-5    21 1 timeFmt 1-4    22 1 nmbrFmt 1-6
//                   23  9  reserved, 0
//                   32 32  compDate: ctime text (24 characters), NUL-filled
//   blocks 2..X+1  index: 32 unsigned 16-bit entries per block; entry j holds
//                  the first text block of message j+1, or 0 for no message.
//   blocks X+2..   text blocks, message after message in number order:
//                    0  2  header: bit 15 more blocks follow; bits 12-14
//                          severity mod 8; bits 9-11 response bytes in this
//                          block; bits 0-8 compiled-text bytes in this block
//                    2 62  first block: the response (no terminator), then
//                          compiled text; later blocks: compiled text; 0-filled
// Block numbers are 16 bits wide, so a catalogue may need at most 65535 blocks.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kBlockSize = 64;
inline constexpr int kTextBytesPerBlock = kBlockSize - 2;
inline constexpr int kIndexEntriesPerBlock = kBlockSize / 2;
inline constexpr long kMaxBlocks = 65535;

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
