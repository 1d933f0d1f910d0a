/* Compiled as C: the layer's headers must serve C client programs. */
#include <string.h>

#include "qokit/unx/commutil.h"
#include "qokit/nls/nlsstr.h"
#include "qokit/unx/psstr.h"

int CHeaderSelfCheck(void) {
  nfTwo two;
  char word[] = "word";
  NlsStruct* table = &nls;
  nlsObject_t object;
  memset(&object, 0, sizeof object);
  if (nlsInit() != 0) return 1;
  if (table->nlsStrLen(word) != 4) return 2;
  nls.nlsStrUpper(word);
  if (nls.nlsStrCmp(word, "WORD") != 0) return 3;
  SetTwo(&two, 0x1234);
  if (GetTwo(&two) != 0x1234) return 4;
  return object.nlsInfo == NULL ? 0 : 5;
}
