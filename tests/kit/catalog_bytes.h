// Hand-assembled message object files for the reader tests: every field is
// placed at the offset the file layout gives it, independent of any writer.
#pragma once

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
    bytes.replace(at, text.size(), text);
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

}  // namespace kittest
