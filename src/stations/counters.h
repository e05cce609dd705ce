#pragma once

namespace kestrel {

class ActionStore;
class StationTable;

// The console's "Limpiar" button: every free station gets its counters back to zero (running
// charge, time, customer, total, state code and the charge already in the total). Stations in a
// session are not touched. Nothing is asked. Written at once, as one action.
bool clearFreeCounters(StationTable& stations, ActionStore& actions);

} // namespace kestrel
