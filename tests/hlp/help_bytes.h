// Byte helpers for help-file tests: expected bytes are written by hand as hex,
// and fields are read back with an independent big-endian decoder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// "00 02 4a" -> the three bytes; blanks are ignored.
inline std::string Hex(std::string_view text) {
  std::string out;
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == '\n') continue;
    digits += c;
    if (digits.size() == 2) {
      out += static_cast<char>(std::strtoul(digits.c_str(), nullptr, 16));
      digits.clear();
    }
  }
  return out;
}

inline uint32_t Be16(const std::string& bytes, std::size_t at) {
  return (static_cast<uint8_t>(bytes.at(at)) << 8) | static_cast<uint8_t>(bytes.at(at + 1));
}

inline uint32_t Be32(const std::string& bytes, std::size_t at) {
  return (Be16(bytes, at) << 16) | Be16(bytes, at + 2);
}

// The TOC entry `i` of a help file with `headings` headings, as offsets.
inline std::size_t TocAt(uint32_t headings, uint32_t i) { return 6 * (headings + 1) + 60 * i; }
