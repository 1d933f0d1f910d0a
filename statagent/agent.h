// The status agent's life: attach to the client's segment, then serve
// requests until the parent process has gone.
#pragma once

// Exit statuses of the agent. It never ends with 0: it serves until its
// parent has gone or it meets a failure.
inline constexpr int kAgentParentGone = 1;
inline constexpr int kAgentFailure = 255;

// Runs the agent with the program's arguments; argv[1] is the decimal
// identifier of the client's shared segment. Returns only on a failure
// (kAgentFailure); when the parent has gone the watchdog ends the process
// with kAgentParentGone.
[[nodiscard]] int RunAgent(int argc, char* argv[]);
