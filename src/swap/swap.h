#pragma once

#include <QString>

#include <vector>

namespace kestrel {

class ActionStore;
class StationTable;

// Moving a customer to another station: the two stations exchange their sessions.
//
// Exchanged: time, mode, running charge, hourly rate, customer, total, state code, the charge
// already in the total, the elapsed and the prepaid time, and the tariff kind with the compound
// tariff's code, so a session priced by a compound tariff keeps its tariff on the new station.
// What belongs to the computer stays: its id, address, MAC address, computer name (the pending
// prints stay with the computer that printed them), link state and connection.
namespace Swap {

// The stations a session can move to from the selected one: every other station, with its row
// in the station list, in list order.
struct Destination {
    QString pc;
    int row = 0;
};
std::vector<Destination> destinations(const StationTable& stations, int selectedIndex);

// Puts a station on hold: state "1" becomes "2", "3" becomes "4", a mode becomes "EN ESPERA";
// a free station is left as it is.
void hold(StationTable& stations, int index);

// Exchanges the sessions of two stations, both put on hold first when asked, as one action: both
// rows are stored together or, when the store refuses, neither station changes. False when it
// was not done (the operator has been told why).
bool exchange(ActionStore& actions, StationTable& stations, int source, int destination,
              bool withHold);

} // namespace Swap

} // namespace kestrel
