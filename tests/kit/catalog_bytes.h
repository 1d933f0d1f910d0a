// Hand-assembled message object files for the reader tests: every field is
// placed at the offset the file layout gives it, independent of any writer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kittest {

// One 64-byte block under construction.
struct Block {
  std::string bytes = std::string(64, '\0');

  Block& U16(std::size_t at, uint32_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    return *this;
  }
  Block& U32(std::size_t at, uint32_t v) {
    U16(at, v & 0xFFFF);
    return U16(at + 2, v >> 16);
  }
  Block& Text(std::size_t at, std::string_view text) {
    if (bytes.size() < at + text.size()) bytes.resize(at + text.size());
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return *this;
  }
};

// Control block: magic, min, max, count, checksum, three format codes, date.
inline Block Control(uint32_t min, uint32_t max, uint32_t count, uint32_t checksum,
                     int date = 1, int time = 1, int number = 1) {
  Block b;
  b.Text(0, "1R3V").U32(4, min).U32(8, max).U32(12, count).U32(16, checksum);
  b.bytes[20] = static_cast<char>(date);
  b.bytes[21] = static_cast<char>(time);
  b.bytes[22] = static_cast<char>(number);
  b.Text(32, "Mon Dec  7 21:00:00 2026");
  return b;
}

// Text block header: more flag, severity, response bytes, text bytes.
inline uint32_t Header(bool more, int severity, int response, int text) {
  return (more ? 0x8000u : 0u) | static_cast<uint32_t>(severity % 8) << 12 |
         static_cast<uint32_t>(response) << 9 | static_cast<uint32_t>(text);
}

// A message whose response and compiled text fit one block.
inline Block OneBlockMessage(int severity, std::string_view response, std::string_view compiled) {
  Block b;
  b.U16(0, Header(false, severity, static_cast<int>(response.size()),
                  static_cast<int>(compiled.size())));
  b.Text(2, response).Text(2 + response.size(), compiled);
  return b;
}

using namespace std::string_literals;

// Message 3's text: "@2%d" + 53 filler bytes + "@1%s", compiled (70 bytes).
inline const std::string kFiller(53, '.');
inline const std::string kReordered = "\0\2\1\0"s + "\0\1%d\0"s + "\0\0%s\0"s + "\0"s + kFiller + "\0"s + "\0"s;

// Messages 1 and 3: five blocks. Message 1 (severity E, no response) holds a
// 10-byte in-order text; message 3 (severity W, response "Y") a 70-byte
// reordered text over blocks 4 and 5.
inline std::string TwoMessageFile() {
  Block index;
  index.U16(0, 3).U16(4, 4);
  Block b4, b5;
  b4.U16(0, Header(true, 5, 1, 61)).Text(2, "Y").Text(3, kReordered.substr(0, 61));
  b5.U16(0, Header(false, 5, 0, 9)).Text(2, kReordered.substr(61));
  return Control(1, 3, 2, 1234, 2, 3, 4).bytes + index.bytes +
         OneBlockMessage(6, "", "\1Hello %s\0"s).bytes + b4.bytes + b5.bytes;
}

// A catalogue with a plural message, made of parts a test can spoil one by one.
struct PluralParts {
  std::string plural = "\1%s: %d Dateien\0"s;  // message 1: "@1%s: @2%d Dateien", the standing form
  std::string plain = "\1Hallo %s\0"s;         // message 2, not plural
  std::string form0 = "\1%s: eine Datei%d\0"s; // message 3: form 0, the count left out and appended
  std::string table = "\1qokit-plural 1\nnplurals=2; plural=(n != 1);\n1 1 3 2 0\n\0"s;  // message 4
  int layout = 1;
  uint32_t table_number = 4, highest_symbol = 2;
};

// Four one-block messages: symbols 1 and 2 (H = 2), form 0 of message 1 at
// 3, the plural table at D = 4; the control block's bytes 23..31 say so.
inline std::string PluralFile(const PluralParts& p = {}) {
  Block control = Control(1, 4, 4, 99);
  control.bytes[23] = static_cast<char>(p.layout);
  control.U32(24, p.table_number).U32(28, p.highest_symbol);
  Block index;
  index.U16(0, 3).U16(2, 4).U16(4, 5).U16(6, 6);
  return control.bytes + index.bytes + OneBlockMessage(4, "", p.plural).bytes + OneBlockMessage(4, "", p.plain).bytes +
         OneBlockMessage(4, "", p.form0).bytes + OneBlockMessage(0, "", p.table).bytes;
}

}  // namespace kittest
