// The status agent's life: attach to the client's segment, then serve
// requests until the parent process has gone.
#pragma once

namespace qokit::agent {

// Exit statuses of the agent. It never ends with 0: it serves until its
// parent has gone or it meets a failure.
inline constexpr int kAgentParentGone = 1;
inline constexpr int kAgentFailure = 255;

// Runs the agent with the program's arguments; argv[1] is the decimal
// identifier of the client's shared segment. Returns kAgentParentGone when
// the client is found gone at start-up or after a request, kAgentFailure on
// a failure (a refused argument or segment, a removed or unusable semaphore
// set, an unlisted request code); a parent that goes while the agent waits
// ends the process with kAgentParentGone from the watchdog.
[[nodiscard]] int RunAgent(int argc, char* argv[]);

}  // namespace qokit::agent
