// The response-file reader on arbitrary files.
//
// Properties: the word list never takes more than its 18 entries; every word
// is a non-empty run of non-blank bytes; and, for a file without NUL bytes,
// the words joined are the file's non-blank bytes in order (a word may be cut
// in two where the 255-byte line pieces meet, but no byte is lost).
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "compiler_fixture.h"
#include "fuzz_check.h"
#include "response_file.h"

using namespace qokit::msgcomp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompilerFixture fixture({});
  const std::string path = ScratchPath("response");
  FILE* f = std::fopen(path.c_str(), "wb");
  CHECK(f != nullptr && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0);

  char* list[kResponseListSize] = {const_cast<char*>("qogenmsg"), const_cast<char*>("gensym")};
  int count = 2;
  const int result = ReadResponseFile(path.c_str(), &count, list);
  CHECK(result == kResponseOk || result == kResponseTooMany);
  CHECK(count >= 2 && count <= kResponseListSize);

  std::string joined;
  for (int i = 2; i < count; ++i) {
    const size_t length = std::strlen(list[i]);
    CHECK(length >= 1 && length < static_cast<size_t>(kLineBufferSize));
    for (size_t k = 0; k < length; ++k) CHECK(!std::isspace(static_cast<unsigned char>(list[i][k])));
    joined += list[i];
  }
  FreeResponseWords(count, list);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.find('\0') == std::string_view::npos) {
    std::string nonBlank;
    for (char c : bytes) {
      if (!std::isspace(static_cast<unsigned char>(c))) nonBlank += c;
    }
    if (result == kResponseOk) {
      CHECK(joined == nonBlank);
    } else {
      CHECK(nonBlank.starts_with(joined) && joined.size() < nonBlank.size());
    }
  }
  std::remove(path.c_str());
  return 0;
}
