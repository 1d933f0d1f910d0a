/* Canonical integers: 2- and 4-byte unsigned values stored most significant
 * byte first, so files that hold them read the same on every processor. */
#ifndef QOKIT_COMMON_UNX_COMMUTIL_H
#define QOKIT_COMMON_UNX_COMMUTIL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

typedef struct {
  unsigned char bytes[2];
} nfTwo;

typedef struct {
  unsigned char bytes[4];
} nfFour;

void SetTwo(nfTwo* twoPtr, uint16_t value);
uint16_t GetTwo(const nfTwo* twoPtr);
void SetFour(nfFour* fourPtr, uint32_t value);
uint32_t GetFour(const nfFour* fourPtr);

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
