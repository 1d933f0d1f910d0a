// Hand-assembled help files for the reader and dump tests: every table
// field written out in big-endian order at its place in the layout.
#pragma once

#include <string>
#include <string_view>

namespace kittest {

inline std::string Hex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    i += 2;
  }
  return out;
}

inline std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
inline std::string Be32(unsigned v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
inline std::string Link(unsigned a, unsigned b, unsigned c) { return Be16(a) + Be16(b) + Be16(c); }
inline std::string Toc(unsigned type, unsigned sndx, unsigned offset, unsigned length, std::string name) {
  name.resize(48, '\0');
  return Be16(type) + Be16(sndx) + Be32(offset) + Be32(length) + name;
}
inline std::string Line(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// One major heading, links 5 and 7, button Intro, three lines of 72 bytes.
inline std::string OneHeadingFile() {
  return Hex("0002 0001 0048") + Hex("0005 0000 0007") + Hex("0001 0000 00000048 00000003") +
         "Intro" + std::string(43, '\0') + Line("Welcome", 72) + Line("  second line", 72) +
         Line("", 72);
}

// Major (2 lines), sub (1), sub (3), major (1); lines of 10 bytes; text at 270.
inline std::string FourHeadingFile() {
  return Link(5, 4, 10) + Link(10, 0, 11) + Link(20, 1, 21) + Link(30, 2, 31) + Link(40, 3, 41) +
         Toc(1, 1, 270, 2, "Start") + Toc(2, 2, 290, 1, "Sub one") + Toc(2, 0, 300, 3, "Sub two") +
         Toc(1, 0, 330, 1, std::string(48, 'B')) + Line("Start", 10) + Line("text", 10) +
         Line("Sub one", 10) + Line("Sub two", 10) + Line("a", 10) + Line("b", 10) + Line("End", 10);
}

// "$H1%2%Intro$H" and "Hello\n": one section of six bytes.
inline std::string LegacyFile() {
  return Hex("0002 0001 0001") + Hex("0001 0000 0002") + Hex("0001 0000 00000048 00000006") +
         "Intro" + std::string(43, '\0') + "Hello\n";
}

}  // namespace kittest
