#pragma once

namespace kestrel {

class StationTable;

// The console's "Limpiar" button: every free station gets its counters back to zero (running
// charge, time, customer, total, state code and the charge already in the total). Stations in a
// session are not touched. Nothing is asked.
void clearFreeCounters(StationTable& stations);

} // namespace kestrel
