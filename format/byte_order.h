// Integers in files, written and read byte by byte (never a struct's memory):
// little-endian in the message object file, most significant byte first
// ("canonical") in the help file.
#pragma once

#include <cstdint>

namespace qokit::format {

inline void PutLe16(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value & 0xff);
  at[1] = static_cast<unsigned char>(value >> 8 & 0xff);
}

inline void PutLe32(unsigned char* at, int32_t signedValue) {
  const auto value = static_cast<uint32_t>(signedValue);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i) & 0xff);
}

inline uint32_t GetLe16(const unsigned char* at) { return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8; }

inline int32_t GetLe32(const unsigned char* at) {
  return static_cast<int32_t>(GetLe16(at) | GetLe16(at + 2) << 16);
}

inline uint16_t GetBe16(const unsigned char* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

inline uint32_t GetBe32(const unsigned char* at) {
  return static_cast<uint32_t>(GetBe16(at)) << 16 | GetBe16(at + 2);
}

}  // namespace qokit::format
