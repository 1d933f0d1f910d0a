// The wide string families on arbitrary bytes in a real multibyte locale:
// no member may read or write outside its buffers, and the results must agree
// with what the bytes say.
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qokit/unx/psstr.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool localeSet = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
  Check(localeSet);
  if (size < 2) return 0;
  const size_t limit = data[0] % 16;
  const size_t split = 1 + data[1] % (size - 1);
  // Two NUL-terminated texts in exactly-sized heap buffers, so any overrun shows.
  const std::string first(reinterpret_cast<const char*>(data) + 2, split > 2 ? split - 2 : 0);
  const std::string second(reinterpret_cast<const char*>(data) + split, size - split);
  std::vector<char> a(first.c_str(), first.c_str() + std::strlen(first.c_str()) + 1);
  std::vector<char> b(second.c_str(), second.c_str() + std::strlen(second.c_str()) + 1);
  const size_t aLen = a.size() - 1;

  Check(psMBCSStrLen(a.data()) == aLen);
  for (auto* find : {psMBCSStrpBrk, psMBCSStrStr, psDBCSStrpBrk}) {
    const char* found = find(a.data(), b.data());
    Check(found == nullptr || (found >= a.data() && found <= a.data() + aLen));
  }
  for (auto* chr : {psMBCSStrChr, psMBCSStrrChr, psDBCSStrChr}) {
    const char* found = chr(a.data(), b[0]);
    Check(found == nullptr || (found >= a.data() && found <= a.data() + aLen));
  }
  Check(psMBCSStrSpn(a.data(), b.data()) <= aLen);
  Check(psMBCSStrcSpn(a.data(), b.data()) <= aLen);

  // Bounded copies never write past `limit` bytes (MBCS) or the source's
  // characters plus a terminator (DBCS).
  std::vector<char> target(limit == 0 ? 1 : limit);
  psMBCSStrnCpy(target.data(), a.data(), limit);
  std::vector<char> whole(aLen + 1);
  psDBCSStrnCpy(whole.data(), a.data(), limit);
  Check(std::strlen(whole.data()) <= aLen);

  std::vector<char> upper(a);
  psMBCSStrUpper(upper.data());
  Check(std::strlen(upper.data()) <= aLen);

  std::vector<char> tokenized(a);
  if (char* token = psMBCSStrTok(tokenized.data(), b.data())) {
    Check(std::strstr(a.data(), token) != nullptr);
    std::free(token);
  }

  for (char* p = a.data(); p != nullptr && p < a.data() + aLen; p = psMBCSCharAdv(p)) {
    char* next = psMBCSCharAdv(p);
    Check(next != nullptr && next > p && next <= a.data() + aLen);
    Check(psMBCSCharBack(a.data(), next) == p);
  }
  psMBCSIsSpace(a.data());
  psDBCSIsSpace(a.data());
  psMBCSIsSBCSStr(a.data());
  std::free(psMBCSStrDup(a.data()));
  return 0;
}
