#pragma once

namespace kestrel {

class ActionStore;
class StationTable;

// The console's "Limpiar" button: every free station gets its counters back to zero (running
// charge, time, customer, total, state code and the charge already in the total). Stations in a
// session are not touched. Nothing is asked. Written at once, as one action.
bool clearFreeCounters(StationTable& stations, ActionStore& actions);

// The shortcut "Limpiar" on one station: its time, running charge, total and the charge already
// in the total back to zero, whatever its mode (a running session's charge and total come back
// with the next second, counted from its elapsed time). One action.
bool clearStationCounters(StationTable& stations, ActionStore& actions, int index);

} // namespace kestrel
