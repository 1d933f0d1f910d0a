#include "nlsstr.h"

#include <cstdlib>
#include <cstring>

#include "../unx/psstr.h"

NLS_Info nls;

namespace {

// The standard library declares strchr, strrchr, strpbrk and strstr twice in
// C++ (const and non-const overloads); both name the one C function, whose C
// signature is the slot's. Taking the non-const overload and converting the
// pointer installs that C function itself, as the single-byte column requires.
template <typename Slot, typename Function>
Slot CFunction(Function function) {
  return reinterpret_cast<Slot>(function);
}

using ChrSlot = decltype(NLS_Info::nlsStrChr);
using BrkSlot = decltype(NLS_Info::nlsStrpBrk);
using ChrOverload = char* (*)(char*, int);
using BrkOverload = char* (*)(char*, const char*);

void FillSingleByte(NLS_Info& t) {
  t.nlsStrLen = std::strlen;
  t.nlsStrCat = std::strcat;
  t.nlsStrnCat = std::strncat;
  t.nlsStrCpy = std::strcpy;
  t.nlsStrnCpy = std::strncpy;
  t.nlsStrCmp = std::strcmp;
  t.nlsStrnCmp = std::strncmp;
  t.nlsStrChr = CFunction<ChrSlot>(static_cast<ChrOverload>(std::strchr));
  t.nlsStrrChr = CFunction<ChrSlot>(static_cast<ChrOverload>(std::strrchr));
  t.nlsStrSpn = std::strspn;
  t.nlsStrcSpn = std::strcspn;
  t.nlsStrpBrk = CFunction<BrkSlot>(static_cast<BrkOverload>(std::strpbrk));
  t.nlsStrStr = CFunction<BrkSlot>(static_cast<BrkOverload>(std::strstr));
  t.nlsStrTok = std::strtok;
  t.nlsStrDup = psSBCSStrDup;
  t.nlsStriCmp = psSBCSStriCmp;
  t.nlsStrUpper = psSBCSStrUpper;
  t.nlsStrLower = psSBCSStrLower;
  t.nlsCharAdv = psSBCSCharAdv;
  t.nlsCharBack = psSBCSCharBack;
  t.nlsCharSize = psSBCSCharSize;
  t.nlsIsSpace = psSBCSIsSpace;
  t.nlsIsSBCSStr = psSBCSIsSBCSStr;
  t.nlsInitCS = psSBCSInitCS;
  t.nlsCSSpace = psSBCSCSSpace;
  t.nlsGetcType = psSBCSGetcType;
}

// Fills all 26 slots with the members of one family, named by its prefix.
#define QOKIT_FILL_FAMILY(t, P) \
  do {                          \
    t.nlsStrLen = P##StrLen;     \
    t.nlsStrCat = P##StrCat;     \
    t.nlsStrnCat = P##StrnCat;   \
    t.nlsStrCpy = P##StrCpy;     \
    t.nlsStrnCpy = P##StrnCpy;   \
    t.nlsStrCmp = P##StrCmp;     \
    t.nlsStrnCmp = P##StrnCmp;   \
    t.nlsStrChr = P##StrChr;     \
    t.nlsStrrChr = P##StrrChr;   \
    t.nlsStrSpn = P##StrSpn;     \
    t.nlsStrcSpn = P##StrcSpn;   \
    t.nlsStrpBrk = P##StrpBrk;   \
    t.nlsStrStr = P##StrStr;     \
    t.nlsStrTok = P##StrTok;     \
    t.nlsStrDup = P##StrDup;     \
    t.nlsStriCmp = P##StriCmp;   \
    t.nlsStrUpper = P##StrUpper; \
    t.nlsStrLower = P##StrLower; \
    t.nlsCharAdv = P##CharAdv;   \
    t.nlsCharBack = P##CharBack; \
    t.nlsCharSize = P##CharSize; \
    t.nlsIsSpace = P##IsSpace;   \
    t.nlsIsSBCSStr = P##IsSBCSStr; \
    t.nlsInitCS = P##InitCS;     \
    t.nlsCSSpace = P##CSSpace;   \
    t.nlsGetcType = P##GetcType; \
  } while (0)

void FillSlots(NLS_Info& t, qoNLSCode_t code) {
  switch (code) {
    case qoDBCS_CODE:
      QOKIT_FILL_FAMILY(t, psDBCS);
      break;
    case qoMBCS_CODE:
      QOKIT_FILL_FAMILY(t, psMBCS);
      break;
    case qoUNICODE:
      QOKIT_FILL_FAMILY(t, psUBCS);
      break;
    default:
      FillSingleByte(t);
      break;
  }
}

#undef QOKIT_FILL_FAMILY

}  // namespace

extern "C" {

int nlsInit(void) {
  nls.actualNLSCode = psEnvInit();
  FillSlots(nls, nls.actualNLSCode);
  return 0;
}

void nlsFillSlots(nlsInfoObject_t* table, qoNLSCode_t code) { FillSlots(*table, code); }

int nlsTerm(void) { return 0; }
int nlsConv(void) { return 0; }

nlsInfoObject_t* newNlsInfoObject(void) {
  // Cleared so that the fields the layer never sets read as zero, not garbage.
  auto* obj = static_cast<nlsInfoObject_t*>(std::calloc(1, sizeof(nlsInfoObject_t)));
  if (obj != nullptr) initNlsInfoObject(obj);
  return obj;
}

int initNlsInfoObject(nlsInfoObject_t* objP) {
  if (objP != nullptr) {
    objP->actualNLSCode = psEnvInit();
    FillSlots(*objP, objP->actualNLSCode);
  }
  return nlsInit();
}

void destroyNlsInfoObject(nlsInfoObject_t* objP) { std::free(objP); }

}  // extern "C"
