#pragma once

namespace kestrel {

// The station agent as a station runs it: kestrel-agent started beside the benchmark, which
// plays its console on loopback. Prints its CPU share and resident memory while idle (a status
// every 900 ms, nothing changing) and the time from a status with a new state to the agent
// showing the new screen; 0 when every change was shown.
int runAgentBench();

} // namespace kestrel
