/* The process-wide string-operation table `nls` and the layer's entry points.
 *
 * Every text-handling program calls nlsInit() first; from then on all copying,
 * comparing, searching and case mapping of text goes through the slots of
 * `nls`, so the same caller code works for any code set.
 */
#ifndef QOKIT_COMMON_NLS_NLSSTR_H
#define QOKIT_COMMON_NLS_NLSSTR_H

#include "../unx/qonls.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

/* Owned by the layer: callers read it and call through its slots. */
extern NLS_Info nls;

/* Sets the locale from the environment and fills `nls`; always 0. */
int nlsInit(void);
/* End of use; the table stays filled and usable. Always 0. */
int nlsTerm(void);
/* Conversion hook with nothing to convert. Always 0. */
int nlsConv(void);

/* Fills the 26 slots of *table from the family of `code` (any code other
 * than the double-byte, multi-byte and Unicode ones selects single-byte). */
void nlsFillSlots(nlsInfoObject_t* table, qoNLSCode_t code);

/* A private, cleared copy of the table with the code set and slots filled;
 * null when the heap is exhausted. Also refreshes the global table. */
nlsInfoObject_t* newNlsInfoObject(void);
/* Fills the code set and slots of *objP (when not null), then refreshes the
 * global table. Always 0. */
int initNlsInfoObject(nlsInfoObject_t* objP);
/* Releases an object made by newNlsInfoObject; null is ignored. */
void destroyNlsInfoObject(nlsInfoObject_t* objP);

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
