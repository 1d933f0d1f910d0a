// One request of the status agent: the status call named by the segment's
// request code, performed on its path, with the outcome stored back.
#pragma once

#include <cstddef>

#include "qoagent_segment.h"

namespace qokit::agent {

enum class RequestOutcome {
  kAnswered,  // result, errNum and statBuf hold the reply
  kUnlisted,  // the request code names no call; nothing was written
};

// Performs the request held in `segment`, whose mapping is `segmentSize`
// bytes long. A path with no terminator before the end of the segment is
// answered with result -1 and ENAMETOOLONG instead of being read past it.
[[nodiscard]] RequestOutcome ServeRequest(AgentSegment& segment, std::size_t segmentSize);

}  // namespace qokit::agent
