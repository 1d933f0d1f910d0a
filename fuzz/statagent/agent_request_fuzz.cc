// One request of the status agent on a segment whose every byte the client
// (here the fuzzer) chose, mapped with exactly the fuzzer's length.
//
// Properties: the agent reads and writes only inside the segment; a code it
// does not list leaves the segment untouched; a path without a terminator is
// answered with ENAMETOOLONG; any other answer is what the status call itself
// gives; only result, errNum and the status record change.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/vfs.h>

#include "qoagent_segment.h"
#include "fuzz_check.h"
#include "request.h"

namespace {

using qokit::agent::RequestOutcome;
using qokit::agent::ServeRequest;

constexpr size_t kPathOffset = QOAGENT_PATH_OFFSET;

// The status call made directly: its result and error number.
std::pair<int, int> Direct(int32_t request, const char* path) {
  struct stat st {};
  struct statfs fs {};
  errno = 0;
  int result;
  if (request == QOAGENT_REQUEST_STATFS) {
    result = statfs(path, &fs);
  } else if (request == QOAGENT_REQUEST_STAT) {
    result = stat(path, &st);
  } else {
    result = lstat(path, &st);
  }
  return {result, result == 0 ? 0 : errno};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const int32_t codes[] = {QOAGENT_REQUEST_STATFS, QOAGENT_REQUEST_STAT, QOAGENT_REQUEST_LSTAT,
                           provider.ConsumeIntegral<int32_t>()};
  const int32_t request = codes[provider.ConsumeIntegralInRange<int>(0, 3)];
  const std::string pathBytes = provider.ConsumeRemainingBytesAsString();

  // The segment as the client left it: header bytes from the path's own
  // bytes (any values), then the path, with no room after it.
  std::vector<unsigned char> memory(kPathOffset + pathBytes.size());
  for (size_t i = 0; i < kPathOffset; ++i) memory[i] = static_cast<unsigned char>(i * 37 + size);
  std::memcpy(memory.data() + kPathOffset, pathBytes.data(), pathBytes.size());
  auto* segment = reinterpret_cast<AgentSegment*>(memory.data());
  segment->request = request;
  const std::vector<unsigned char> before = memory;

  const RequestOutcome outcome = ServeRequest(*segment, memory.size());
  const bool listed =
      request == QOAGENT_REQUEST_STATFS || request == QOAGENT_REQUEST_STAT || request == QOAGENT_REQUEST_LSTAT;
  if (!listed) {
    CHECK(outcome == RequestOutcome::kUnlisted);
    CHECK(memory == before);
    return 0;
  }
  CHECK(outcome == RequestOutcome::kAnswered);
  // Nothing outside result, errNum and the status record changes.
  CHECK(std::memcmp(memory.data(), before.data(), offsetof(AgentSegment, errNum)) == 0);
  CHECK(std::memcmp(memory.data() + offsetof(AgentSegment, unused20), before.data() + offsetof(AgentSegment, unused20),
                    offsetof(AgentSegment, statBuf) - offsetof(AgentSegment, unused20)) == 0);
  CHECK(std::memcmp(memory.data() + kPathOffset, before.data() + kPathOffset, pathBytes.size()) == 0);

  const size_t terminator = pathBytes.find('\0');
  if (terminator == std::string::npos || terminator >= PATH_MAX) {
    CHECK(segment->result == -1 && segment->errNum == ENAMETOOLONG);
    return 0;
  }
  const auto [result, error] = Direct(request, pathBytes.c_str());
  CHECK(segment->result == result);
  if (result != 0) CHECK(segment->errNum == error);
  return 0;
}
