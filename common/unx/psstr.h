/* The four families of string operations that fill the slots of `nls`, the
 * locale start-up `psEnvInit` and the code-page hook `psOEMToAnsi`.
 *
 * Each family member has the signature of its slot (see qonls.h). The
 * single-byte family leaves most slots to the standard library's byte
 * functions and supplies only the rest. The multi-byte and double-byte
 * families work on wide working copies of their arguments, so they count,
 * search, copy and change case in whole characters, a byte that begins no
 * valid character counting as a character of its own; the Unicode family
 * treats text as bytes except when moving between characters.
 */
#ifndef QOKIT_COMMON_UNX_PSSTR_H
#define QOKIT_COMMON_UNX_PSSTR_H

#include "qonls.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

/* Sets the process locale from the environment, records the locale facts in
 * the global `nls` and returns the code set chosen for `nls.Language`. */
qoNLSCode_t psEnvInit(void);

/* The code set that a recorded language name selects; exact, case-sensitive. */
qoNLSCode_t psCodeSetForLanguage(qoStringConst_t language);

/* Converts a string in place from an OEM to an ANSI code page; nothing to do here. */
void psOEMToAnsi(qoString_t pOEM);

#define QOKIT_PS_FAMILY(P)                                                         \
  size_t P##StrLen(qoStringConst_t string);                                        \
  qoString_t P##StrCat(qoString_t target, qoStringConst_t source);                 \
  qoString_t P##StrnCat(qoString_t target, qoStringConst_t source, size_t size);   \
  qoString_t P##StrCpy(qoString_t target, qoStringConst_t source);                 \
  qoString_t P##StrnCpy(qoString_t target, qoStringConst_t source, size_t size);   \
  int P##StrCmp(qoStringConst_t target, qoStringConst_t source);                   \
  int P##StrnCmp(qoStringConst_t target, qoStringConst_t source, size_t size);     \
  qoString_t P##StrChr(qoStringConst_t target, int character);                     \
  qoString_t P##StrrChr(qoStringConst_t target, int character);                    \
  size_t P##StrSpn(qoStringConst_t string, qoStringConst_t set);                   \
  size_t P##StrcSpn(qoStringConst_t string, qoStringConst_t set);                  \
  qoString_t P##StrpBrk(qoStringConst_t string, qoStringConst_t set);              \
  qoString_t P##StrStr(qoStringConst_t string, qoStringConst_t sub);               \
  qoString_t P##StrTok(qoString_t string, qoStringConst_t set);                    \
  qoString_t P##StrDup(qoString_t target);                                         \
  int P##StriCmp(qoString_t string1, qoString_t string2);                          \
  void P##StrUpper(qoString_t string);                                             \
  void P##StrLower(qoString_t string);                                             \
  qoString_t P##CharAdv(qoString_t string);                                        \
  qoString_t P##CharBack(qoString_t string, qoString_t current);                   \
  unsigned P##CharSize(char c);                                                    \
  int P##IsSpace(qoStringConst_t string);                                          \
  int P##IsSBCSStr(qoStringConst_t string);                                        \
  int P##InitCS(void);                                                             \
  int P##CSSpace(void);                                                            \
  unsigned char P##GetcType(qoString_t string, unsigned char index);

/* Every family has all 26 members; the single-byte slots still hold the
 * standard library functions themselves where one exists. */
QOKIT_PS_FAMILY(psSBCS)
QOKIT_PS_FAMILY(psUBCS)
QOKIT_PS_FAMILY(psMBCS)
QOKIT_PS_FAMILY(psDBCS)

#undef QOKIT_PS_FAMILY

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
