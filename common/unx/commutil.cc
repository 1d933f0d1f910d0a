#include "commutil.h"

static_assert(sizeof(nfTwo) == 2 && sizeof(nfFour) == 4, "canonical integers are packed bytes");

extern "C" {

void SetTwo(nfTwo* twoPtr, uint16_t value) {
  twoPtr->bytes[0] = static_cast<unsigned char>(value >> 8);
  twoPtr->bytes[1] = static_cast<unsigned char>(value);
}

uint16_t GetTwo(const nfTwo* twoPtr) {
  return static_cast<uint16_t>((twoPtr->bytes[0] << 8) | twoPtr->bytes[1]);
}

void SetFour(nfFour* fourPtr, uint32_t value) {
  for (int i = 3; i >= 0; --i) {
    fourPtr->bytes[i] = static_cast<unsigned char>(value);
    value >>= 8;
  }
}

uint32_t GetFour(const nfFour* fourPtr) {
  uint32_t value = 0;
  for (unsigned char byte : fourPtr->bytes) value = (value << 8) | byte;
  return value;
}

}  // extern "C"
