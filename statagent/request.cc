#include "request.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

// Copies the path out of the segment so the status call reads a terminated
// string of bounded length even if the client rewrites the segment meanwhile.
// False when no terminator lies within the segment or within PATH_MAX bytes.
bool CopyPath(const AgentSegment& segment, std::size_t segmentSize, char (&out)[PATH_MAX]) {
  if (segmentSize <= offsetof(AgentSegment, path)) return false;
  const std::size_t room = segmentSize - offsetof(AgentSegment, path);
  const std::size_t limit = room < sizeof out ? room : sizeof out;
  const std::size_t length = strnlen(segment.path, limit);
  if (length == limit) return false;
  std::memcpy(out, segment.path, length);
  out[length] = '\0';
  return true;
}

}  // namespace

RequestOutcome ServeRequest(AgentSegment& segment, std::size_t segmentSize) {
  const int32_t request = segment.request;
  if (request != AGENT_REQUEST_STATFS && request != AGENT_REQUEST_STAT &&
      request != AGENT_REQUEST_LSTAT) {
    return RequestOutcome::kUnlisted;
  }

  char path[PATH_MAX];
  int result = -1;
  if (!CopyPath(segment, segmentSize, path)) {
    errno = ENAMETOOLONG;
  } else if (request == AGENT_REQUEST_STATFS) {
    result = statfs(path, &segment.statBuf.fs);
  } else if (request == AGENT_REQUEST_STAT) {
    result = stat(path, &segment.statBuf.st);
  } else {
    result = lstat(path, &segment.statBuf.st);
  }
  // errNum is stored on success too; the client reads it only when result is -1.
  segment.result = result;
  segment.errNum = errno;
  return RequestOutcome::kAnswered;
}
