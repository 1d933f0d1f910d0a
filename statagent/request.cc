#include "request.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/stat.h>
#include <sys/vfs.h>

namespace qokit::agent {
namespace {

// Copies the path out of the segment so the status call reads a terminated
// string of bounded length even if the client rewrites the segment meanwhile.
// False when no terminator lies within the segment or within PATH_MAX bytes.
bool CopyPath(AgentSegment& segment, std::size_t segmentSize, char (&out)[PATH_MAX]) {
  if (segmentSize <= QOAGENT_PATH_OFFSET) return false;
  const std::size_t room = segmentSize - QOAGENT_PATH_OFFSET;
  const std::size_t limit = room < sizeof out ? room : sizeof out;
  const char* path = qoagent_segment_path(&segment);
  const std::size_t length = strnlen(path, limit);
  if (length == limit) return false;
  std::memcpy(out, path, length);
  out[length] = '\0';
  return true;
}

}  // namespace

RequestOutcome ServeRequest(AgentSegment& segment, std::size_t segmentSize) {
  const int32_t request = segment.request;
  if (request != QOAGENT_REQUEST_STATFS && request != QOAGENT_REQUEST_STAT &&
      request != QOAGENT_REQUEST_LSTAT) {
    return RequestOutcome::kUnlisted;
  }

  char path[PATH_MAX];
  int result = -1;
  if (!CopyPath(segment, segmentSize, path)) {
    errno = ENAMETOOLONG;
  } else if (request == QOAGENT_REQUEST_STATFS) {
    result = statfs(path, &segment.statBuf.fs);
  } else if (request == QOAGENT_REQUEST_STAT) {
    result = stat(path, &segment.statBuf.st);
  } else {
    result = lstat(path, &segment.statBuf.st);
  }
  // errNum is stored on success too; the client reads it only when result is -1.
  segment.result = result;
  segment.errNum = errno;
  return RequestOutcome::kAnswered;
}

}  // namespace qokit::agent
