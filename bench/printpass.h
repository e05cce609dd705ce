#pragma once

namespace kestrel {

// The print monitor's pass against a cupsd of its own: 3 stopped queues holding 50 jobs, and
// the pass as the monitor makes it (the printers, then the jobs of each), timed over many
// passes. Prints the median and the worst pass and the jobs seen; 0 when every pass saw every
// job.
int runPrintPassBench();

} // namespace kestrel
