#include "psstr.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string_view>

#include "../nls/nlsstr.h"
#include "widestr.h"

using qokit::nls::ByteOffset;
using qokit::nls::CharLength;
using qokit::nls::CopyChars;
using qokit::nls::DecodeAt;
using qokit::nls::IsRawByte;
using qokit::nls::WideCopy;

namespace {

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// A position in `text` found at character `index` of its wide copy.
qoString_t AtCharIndex(qoStringConst_t text, size_t index) {
  return const_cast<qoString_t>(text) + ByteOffset(text, index);
}

using WideSearch = const wchar_t* (*)(const wchar_t*, wchar_t);

// Searches for the character that `characterBytes` (NUL-terminated) begin
// with; bytes that form no character there search for that raw byte.
qoString_t FindWideChar(qoStringConst_t target, const char* characterBytes, WideSearch search) {
  const wchar_t wanted = DecodeAt(characterBytes, std::strlen(characterBytes)).wide;
  WideCopy copy(target);
  if (!copy.valid()) return nullptr;
  const wchar_t* found = search(copy.data(), wanted);
  if (found == nullptr) return nullptr;
  return AtCharIndex(target, static_cast<size_t>(found - copy.data()));
}

const wchar_t* FirstOf(const wchar_t* s, wchar_t c) { return std::wcschr(s, c); }
const wchar_t* LastOf(const wchar_t* s, wchar_t c) { return std::wcsrchr(s, c); }

using CaseMap = std::wint_t (*)(std::wint_t);

// A raw byte has no case and maps to itself.
wchar_t MapCase(wchar_t wc, CaseMap map) {
  return IsRawByte(wc) ? wc : static_cast<wchar_t>(map(static_cast<std::wint_t>(wc)));
}

// Maps every character of `string` through `map` in place. A character keeps
// its own bytes when its mapped case cannot be written in the code set or
// would take more bytes than it had, so the text never grows or loses a
// character; each character is decided on alone.
void MapInPlace(qoString_t string, CaseMap map) {
  WideCopy copy(string);
  if (!copy.valid()) return;
  const char* in = string;
  char* out = string;
  for (const wchar_t* w = copy.data(); *w != L'\0'; ++w) {
    const size_t had = CharLength(in);
    const wchar_t mapped = MapCase(*w, map);
    char buf[MB_LEN_MAX];
    size_t n = static_cast<size_t>(-1);  // keeps the character's own bytes
    if (mapped != *w) {
      std::mbstate_t state{};
      n = std::wcrtomb(buf, mapped, &state);  // (size_t)-1 when the code set lacks it
    }
    if (n <= had) {
      std::memcpy(out, buf, n);
      out += n;
    } else {
      std::memmove(out, in, had);  // `out` never passes `in`
      out += had;
    }
    in += had;
  }
  *out = '\0';
}

}  // namespace

extern "C" {

qoNLSCode_t psCodeSetForLanguage(qoStringConst_t language) {
  static constexpr std::string_view kMultiByte[] = {"ja_JP", "zh_CN", "zh_TW", "ko_KR", "Ja_JP"};
  const std::string_view name(language);
  for (const auto& candidate : kMultiByte) {
    if (name == candidate) return qoMBCS_CODE;
  }
  return name == "Zh_CN" ? qoUNICODE : qoSBCS_CODE;
}

qoNLSCode_t psEnvInit(void) {
  std::setlocale(LC_ALL, "");
  nls.thousand_sep = ',';
  nls.decimal_sep = '.';
  nls.subsecond_sep = nls.decimal_sep;
  // No source supplies a locale or code page name, so the defaults always apply.
  static constexpr char kLocale[] = "C";
  static constexpr char kCodePage[] = "";
  std::strcpy(nls.CodePage, kCodePage);
  std::strcpy(nls.Locale, kLocale);
  std::strcpy(nls.Language, nls.Locale);
  return psCodeSetForLanguage(nls.Language);
}

void psOEMToAnsi(qoString_t) {}

/* Single-byte family. */

size_t psSBCSStrLen(qoStringConst_t string) { return std::strlen(string); }
qoString_t psSBCSStrCat(qoString_t target, qoStringConst_t source) { return std::strcat(target, source); }
qoString_t psSBCSStrnCat(qoString_t target, qoStringConst_t source, size_t size) {
  return std::strncat(target, source, size);
}
qoString_t psSBCSStrCpy(qoString_t target, qoStringConst_t source) { return std::strcpy(target, source); }
qoString_t psSBCSStrnCpy(qoString_t target, qoStringConst_t source, size_t size) {
  return std::strncpy(target, source, size);
}
int psSBCSStrCmp(qoStringConst_t target, qoStringConst_t source) { return std::strcmp(target, source); }
int psSBCSStrnCmp(qoStringConst_t target, qoStringConst_t source, size_t size) {
  return std::strncmp(target, source, size);
}
qoString_t psSBCSStrChr(qoStringConst_t target, int character) {
  return const_cast<qoString_t>(std::strchr(target, character));
}
qoString_t psSBCSStrrChr(qoStringConst_t target, int character) {
  return const_cast<qoString_t>(std::strrchr(target, character));
}
size_t psSBCSStrSpn(qoStringConst_t string, qoStringConst_t set) { return std::strspn(string, set); }
size_t psSBCSStrcSpn(qoStringConst_t string, qoStringConst_t set) { return std::strcspn(string, set); }
qoString_t psSBCSStrpBrk(qoStringConst_t string, qoStringConst_t set) {
  return const_cast<qoString_t>(std::strpbrk(string, set));
}
qoString_t psSBCSStrStr(qoStringConst_t string, qoStringConst_t sub) {
  return const_cast<qoString_t>(std::strstr(string, sub));
}
qoString_t psSBCSStrTok(qoString_t string, qoStringConst_t set) { return std::strtok(string, set); }

qoString_t psSBCSStrDup(qoString_t target) {
  if (target == nullptr) return nullptr;
  const size_t size = std::strlen(target) + 1;
  auto* copy = static_cast<qoString_t>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, target, size);
  return copy;
}

int psSBCSStriCmp(qoString_t string1, qoString_t string2) {
  for (size_t i = 0;; ++i) {
    const int a = std::toupper(Byte(string1[i]));
    const int b = std::toupper(Byte(string2[i]));
    if (a != b) return a - b;
    if (string1[i] == '\0') return 0;
  }
}

void psSBCSStrUpper(qoString_t string) {
  for (; *string != '\0'; ++string) {
    if (std::isalpha(Byte(*string))) *string = static_cast<char>(std::toupper(Byte(*string)));
  }
}

void psSBCSStrLower(qoString_t string) {
  for (; *string != '\0'; ++string) {
    if (std::isalpha(Byte(*string))) *string = static_cast<char>(std::tolower(Byte(*string)));
  }
}

qoString_t psSBCSCharAdv(qoString_t string) { return *string == '\0' ? string : string + 1; }
qoString_t psSBCSCharBack(qoString_t string, qoString_t current) {
  return current == string ? string : current - 1;
}
unsigned psSBCSCharSize(char) { return 1; }
int psSBCSIsSpace(qoStringConst_t string) { return std::isspace(Byte(*string)); }
int psSBCSIsSBCSStr(qoStringConst_t) { return bTrue; }
int psSBCSInitCS(void) { return 0; }
int psSBCSCSSpace(void) { return -1; }
unsigned char psSBCSGetcType(qoString_t, unsigned char) { return 0; }

/* Unicode family: bytes, except for moving between characters. */

size_t psUBCSStrLen(qoStringConst_t string) { return std::strlen(string); }
qoString_t psUBCSStrCat(qoString_t target, qoStringConst_t source) { return std::strcat(target, source); }
qoString_t psUBCSStrnCat(qoString_t target, qoStringConst_t source, size_t size) {
  return std::strncat(target, source, size);
}
qoString_t psUBCSStrCpy(qoString_t target, qoStringConst_t source) { return std::strcpy(target, source); }
qoString_t psUBCSStrnCpy(qoString_t target, qoStringConst_t source, size_t size) {
  return std::strncpy(target, source, size);
}
int psUBCSStrCmp(qoStringConst_t target, qoStringConst_t source) { return std::strcmp(target, source); }
int psUBCSStrnCmp(qoStringConst_t target, qoStringConst_t source, size_t size) {
  return std::strncmp(target, source, size);
}
qoString_t psUBCSStrChr(qoStringConst_t target, int character) { return psSBCSStrChr(target, character); }
qoString_t psUBCSStrrChr(qoStringConst_t target, int character) { return psSBCSStrrChr(target, character); }
size_t psUBCSStrSpn(qoStringConst_t string, qoStringConst_t set) { return std::strspn(string, set); }
size_t psUBCSStrcSpn(qoStringConst_t string, qoStringConst_t set) { return std::strcspn(string, set); }
qoString_t psUBCSStrpBrk(qoStringConst_t string, qoStringConst_t set) { return psSBCSStrpBrk(string, set); }
qoString_t psUBCSStrStr(qoStringConst_t string, qoStringConst_t sub) { return psSBCSStrStr(string, sub); }
qoString_t psUBCSStrTok(qoString_t string, qoStringConst_t set) { return std::strtok(string, set); }
qoString_t psUBCSStrDup(qoString_t target) { return target == nullptr ? nullptr : strdup(target); }
// Folds case like the single-byte family rather than calling every pair equal:
// a comparison that ignores its arguments would be a trap for any future caller.
int psUBCSStriCmp(qoString_t string1, qoString_t string2) { return psSBCSStriCmp(string1, string2); }
void psUBCSStrUpper(qoString_t string) { psSBCSStrUpper(string); }
void psUBCSStrLower(qoString_t string) { psSBCSStrLower(string); }

qoString_t psUBCSCharAdv(qoString_t string) {
  if (string == nullptr || *string == '\0') return nullptr;
  return string + CharLength(string);
}

qoString_t psUBCSCharBack(qoString_t string, qoString_t current) {
  qoString_t walk = string;
  qoString_t remembered = string;
  while (walk < current) {
    remembered = walk;
    walk += CharLength(walk);
  }
  return remembered;
}

unsigned psUBCSCharSize(char) { return 1; }
int psUBCSIsSpace(qoStringConst_t string) { return psSBCSIsSpace(string); }
int psUBCSIsSBCSStr(qoStringConst_t) { return bTrue; }
int psUBCSInitCS(void) { return 0; }
int psUBCSCSSpace(void) { return -1; }
unsigned char psUBCSGetcType(qoString_t, unsigned char) { return 0; }

/* Multi-byte family: whole characters through wide working copies. */

size_t psMBCSStrLen(qoStringConst_t string) { return std::strlen(string); }
qoString_t psMBCSStrCat(qoString_t target, qoStringConst_t source) { return std::strcat(target, source); }
qoString_t psMBCSStrCpy(qoString_t target, qoStringConst_t source) { return std::strcpy(target, source); }

int psMBCSStrCmp(qoStringConst_t target, qoStringConst_t source) {
  WideCopy t(target), s(source);
  if (!t.valid() || !s.valid()) return std::strcmp(target, source);
  return std::wcscmp(t.data(), s.data());
}

int psMBCSStrnCmp(qoStringConst_t target, qoStringConst_t source, size_t size) {
  WideCopy t(target), s(source);
  if (!t.valid() || !s.valid()) return std::strncmp(target, source, size);
  return std::wcsncmp(t.data(), s.data(), size);
}

qoString_t psMBCSStrnCat(qoString_t target, qoStringConst_t source, size_t size) {
  WideCopy s(source);
  if (!s.valid()) return target;
  // The target's own text stays as it is; the characters come after it.
  char* end = target + std::strlen(target);
  end[CopyChars(end, source, std::min(s.length(), size), SIZE_MAX)] = '\0';
  return target;
}

qoString_t psMBCSStrnCpy(qoString_t target, qoStringConst_t source, size_t size) {
  WideCopy s(source);
  if (!s.valid()) return target;
  // Whole characters within `size` bytes, terminated only when shorter, as
  // strncpy leaves a target that the text fills.
  const size_t written = CopyChars(target, source, std::min(s.length(), size), size);
  if (written < size) target[written] = '\0';
  return target;
}

qoString_t psMBCSStrChr(qoStringConst_t target, int character) {
  const char bytes[2] = {static_cast<char>(character & 0xFF), '\0'};
  return FindWideChar(target, bytes, FirstOf);
}

qoString_t psMBCSStrrChr(qoStringConst_t target, int character) {
  const char bytes[2] = {static_cast<char>(character & 0xFF), '\0'};
  return FindWideChar(target, bytes, LastOf);
}

size_t psMBCSStrSpn(qoStringConst_t string, qoStringConst_t set) {
  WideCopy s(string), chars(set);
  if (!s.valid() || !chars.valid()) return 0;
  return std::wcsspn(s.data(), chars.data());
}

size_t psMBCSStrcSpn(qoStringConst_t string, qoStringConst_t set) {
  WideCopy s(string), chars(set);
  if (!s.valid() || !chars.valid()) return 0;
  return std::wcscspn(s.data(), chars.data());
}

qoString_t psMBCSStrpBrk(qoStringConst_t string, qoStringConst_t set) {
  WideCopy s(string), chars(set);
  if (!s.valid() || !chars.valid()) return nullptr;
  const wchar_t* found = std::wcspbrk(s.data(), chars.data());
  return found == nullptr ? nullptr : AtCharIndex(string, static_cast<size_t>(found - s.data()));
}

qoString_t psMBCSStrStr(qoStringConst_t string, qoStringConst_t sub) {
  WideCopy s(string), wanted(sub);
  if (!s.valid() || !wanted.valid()) return nullptr;
  const wchar_t* found = std::wcsstr(s.data(), wanted.data());
  return found == nullptr ? nullptr : AtCharIndex(string, static_cast<size_t>(found - s.data()));
}

qoString_t psMBCSStrTok(qoString_t string, qoStringConst_t set) {
  WideCopy s(string), chars(set);
  if (!s.valid() || !chars.valid()) return nullptr;
  const size_t skipped = std::wcsspn(s.data(), chars.data());
  if (s.data()[skipped] == L'\0') return nullptr;
  const size_t tokenChars = std::wcscspn(s.data() + skipped, chars.data());
  char* token = string + ByteOffset(string, skipped);
  const size_t tokenBytes = ByteOffset(token, tokenChars);
  auto* result = static_cast<qoString_t>(std::malloc(tokenBytes + 1));
  if (result == nullptr) return nullptr;
  std::memcpy(result, token, tokenBytes);
  result[tokenBytes] = '\0';
  // The caller's string keeps its leading delimiters and the token, ended
  // where the delimiter that closed the token stood.
  token[tokenBytes] = '\0';
  return result;
}

qoString_t psMBCSStrDup(qoString_t target) { return target == nullptr ? nullptr : strdup(target); }

int psMBCSStriCmp(qoString_t string1, qoString_t string2) {
  WideCopy a(string1), b(string2);
  if (!a.valid() || !b.valid()) return psSBCSStriCmp(string1, string2);
  for (wchar_t* w = a.data(); *w != L'\0'; ++w) *w = MapCase(*w, std::towlower);
  for (wchar_t* w = b.data(); *w != L'\0'; ++w) *w = MapCase(*w, std::towlower);
  return std::wcscmp(a.data(), b.data());
}

void psMBCSStrUpper(qoString_t string) { MapInPlace(string, std::towupper); }
void psMBCSStrLower(qoString_t string) { MapInPlace(string, std::towlower); }
qoString_t psMBCSCharAdv(qoString_t string) { return psUBCSCharAdv(string); }
qoString_t psMBCSCharBack(qoString_t string, qoString_t current) { return psUBCSCharBack(string, current); }
unsigned psMBCSCharSize(char) { return 1; }

int psMBCSIsSpace(qoStringConst_t string) {
  wchar_t wc = 0;
  if (*string == '\0' || std::mbtowc(&wc, string, MB_CUR_MAX) <= 0) return 0;
  return std::iswspace(static_cast<std::wint_t>(wc)) ? 1 : 0;
}

int psMBCSIsSBCSStr(qoStringConst_t string) {
  while (*string != '\0') {
    if (std::mblen(string, MB_CUR_MAX) != 1) return 0;
    ++string;
  }
  return 1;
}

int psMBCSInitCS(void) { return 0; }
int psMBCSCSSpace(void) { return -1; }
unsigned char psMBCSGetcType(qoString_t, unsigned char) { return 0; }

/* Double-byte family: the multi-byte members except where noted. */

size_t psDBCSStrLen(qoStringConst_t string) { return std::strlen(string); }
qoString_t psDBCSStrCat(qoString_t target, qoStringConst_t source) { return std::strcat(target, source); }
qoString_t psDBCSStrnCat(qoString_t target, qoStringConst_t source, size_t size) {
  return psMBCSStrnCat(target, source, size);
}
qoString_t psDBCSStrCpy(qoString_t target, qoStringConst_t source) { return std::strcpy(target, source); }

// Copies at most `size` whole characters and always terminates.
qoString_t psDBCSStrnCpy(qoString_t target, qoStringConst_t source, size_t size) {
  WideCopy s(source);
  if (!s.valid()) return target;
  target[CopyChars(target, source, std::min(s.length(), size), SIZE_MAX)] = '\0';
  return target;
}

int psDBCSStrCmp(qoStringConst_t target, qoStringConst_t source) { return psMBCSStrCmp(target, source); }
int psDBCSStrnCmp(qoStringConst_t target, qoStringConst_t source, size_t size) {
  return psMBCSStrnCmp(target, source, size);
}

namespace {
// The searched character is spelled by the integer's own bytes in address
// order, so a double-byte character travels as first byte + 256 * second.
struct CharacterBytes {
  char bytes[sizeof(int) + 1] = {};
  explicit CharacterBytes(int character) { std::memcpy(bytes, &character, sizeof(int)); }
};
}  // namespace

qoString_t psDBCSStrChr(qoStringConst_t target, int character) {
  return FindWideChar(target, CharacterBytes(character).bytes, FirstOf);
}
qoString_t psDBCSStrrChr(qoStringConst_t target, int character) {
  return FindWideChar(target, CharacterBytes(character).bytes, LastOf);
}
size_t psDBCSStrSpn(qoStringConst_t string, qoStringConst_t set) { return psMBCSStrSpn(string, set); }
size_t psDBCSStrcSpn(qoStringConst_t string, qoStringConst_t set) { return psMBCSStrcSpn(string, set); }
qoString_t psDBCSStrpBrk(qoStringConst_t string, qoStringConst_t set) { return psMBCSStrpBrk(string, set); }
qoString_t psDBCSStrStr(qoStringConst_t string, qoStringConst_t sub) { return psMBCSStrStr(string, sub); }
qoString_t psDBCSStrTok(qoString_t string, qoStringConst_t set) { return psMBCSStrTok(string, set); }
qoString_t psDBCSStrDup(qoString_t target) { return psMBCSStrDup(target); }
int psDBCSStriCmp(qoString_t string1, qoString_t string2) { return psMBCSStriCmp(string1, string2); }
void psDBCSStrUpper(qoString_t string) { psMBCSStrUpper(string); }
void psDBCSStrLower(qoString_t string) { psMBCSStrLower(string); }
qoString_t psDBCSCharAdv(qoString_t string) { return psUBCSCharAdv(string); }
qoString_t psDBCSCharBack(qoString_t string, qoString_t current) { return psUBCSCharBack(string, current); }

// The byte alone can only form a one-byte character; a byte that merely begins
// a longer one (or is invalid) is reported as 1 too.
unsigned psDBCSCharSize(char c) {
  wchar_t wc = 0;
  std::mbstate_t in{};
  if (std::mbrtowc(&wc, &c, 1, &in) > 1) return 1;
  std::mbstate_t out{};
  char buf[MB_LEN_MAX];
  const size_t n = std::wcrtomb(buf, wc, &out);
  return n == static_cast<size_t>(-1) || n == 0 ? 1 : static_cast<unsigned>(n);
}

int psDBCSIsSpace(qoStringConst_t string) {
  WideCopy s(string);
  if (!s.valid() || s.length() == 0 || IsRawByte(s.data()[0])) return 0;
  return std::iswspace(static_cast<std::wint_t>(s.data()[0])) ? 1 : 0;
}

int psDBCSIsSBCSStr(qoStringConst_t string) { return psMBCSIsSBCSStr(string); }
int psDBCSInitCS(void) { return 0; }
int psDBCSCSSpace(void) { return -1; }
unsigned char psDBCSGetcType(qoString_t, unsigned char) { return 0; }

}  // extern "C"
