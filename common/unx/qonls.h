/* Shared types of the national-language string layer.
 *
 * Usable from C and C++: client programs of the kit are C programs. Every
 * string operation of the layer is reached through the slots of one table,
 * `nls` (declared in nlsstr.h), filled at start-up for the locale's code set.
 *
 * Sizes and lengths are `size_t` so that the standard library's byte-string
 * functions can be installed in the slots directly (strncpy, strlen, ...).
 */
#ifndef QOKIT_COMMON_UNX_QONLS_H
#define QOKIT_COMMON_UNX_QONLS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
  qoSBCS_CODE = 1,
  qoDBCS_CODE = 2,
  qoMBCS_CODE = 3,
  qoUNICODE = 4
} qoNLSCode_t;

typedef enum { bFalse = 0, bTrue = 1 } qoBool_t;

typedef char qoChar_t;
typedef char* qoString_t;
typedef const char* qoStringConst_t;
typedef int (*pfn_int)(void);

/* The locale facts and the 26 string-operation slots, in this order. */
typedef struct NlsStruct {
  qoNLSCode_t actualNLSCode;
  qoBool_t UnicodeEnabled;
  char Locale[20];
  char CodePage[20];
  char Language[20];
  char date_sep;
  char time_sep;
  char thousand_sep;
  char decimal_sep;
  char subsecond_sep;
  char date_fmt_str[12];
  char time_fmt_str[12];
  char am_str[6];
  char pm_str[6];

  size_t (*nlsStrLen)(qoStringConst_t string);
  qoString_t (*nlsStrCat)(qoString_t target, qoStringConst_t source);
  qoString_t (*nlsStrnCat)(qoString_t target, qoStringConst_t source, size_t size);
  qoString_t (*nlsStrCpy)(qoString_t target, qoStringConst_t source);
  qoString_t (*nlsStrnCpy)(qoString_t target, qoStringConst_t source, size_t size);
  int (*nlsStrCmp)(qoStringConst_t target, qoStringConst_t source);
  int (*nlsStrnCmp)(qoStringConst_t target, qoStringConst_t source, size_t size);
  qoString_t (*nlsStrChr)(qoStringConst_t target, int character);
  qoString_t (*nlsStrrChr)(qoStringConst_t target, int character);
  size_t (*nlsStrSpn)(qoStringConst_t string, qoStringConst_t set);
  size_t (*nlsStrcSpn)(qoStringConst_t string, qoStringConst_t set);
  qoString_t (*nlsStrpBrk)(qoStringConst_t string, qoStringConst_t set);
  qoString_t (*nlsStrStr)(qoStringConst_t string, qoStringConst_t sub);
  qoString_t (*nlsStrTok)(qoString_t string, qoStringConst_t set);
  qoString_t (*nlsStrDup)(qoString_t target);
  int (*nlsStriCmp)(qoString_t string1, qoString_t string2);
  void (*nlsStrUpper)(qoString_t string);
  void (*nlsStrLower)(qoString_t string);
  qoString_t (*nlsCharAdv)(qoString_t string);
  qoString_t (*nlsCharBack)(qoString_t string, qoString_t current);
  unsigned (*nlsCharSize)(char c);
  int (*nlsIsSpace)(qoStringConst_t string);
  int (*nlsIsSBCSStr)(qoStringConst_t string);
  pfn_int nlsInitCS;
  pfn_int nlsCSSpace;
  unsigned char (*nlsGetcType)(qoString_t string, unsigned char index);

  void (*setDateFmt)(void);
  void (*setTimeFmt)(void);
} NLS_Info;

/* Further names of the same record type. */
typedef struct NlsStruct NlsStruct;
typedef NLS_Info nlsInfoObject_t;

/* Output hooks of a client's NLS object; the layer only declares them, so
 * their arguments are deliberately left undeclared. */
typedef void (*NLS_OUT)();
typedef NLS_OUT NlsOutArray_t[9];

typedef struct {
  char vexLocale[20];
  char vexCodePage[20];
  qoBool_t vexUnicodeEnabled;
  qoBool_t ScheduleMode;
  qoBool_t nwUnloading;
  int number_flag;
  int date_flag;
  int time_flag;
  NlsOutArray_t NLS_OUT_ARRAY;
  nlsInfoObject_t* nlsInfo;
  void* nlsInstanceData;
} nlsObject_t;

#ifdef __cplusplus
}
#endif

#endif
