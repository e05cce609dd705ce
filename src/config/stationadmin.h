#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Prompts;
class StationRows;
class StationSockets;
class StationTable;

// One station as the "Puestos" page lists it: its CYBER row's PC and PCIP.
struct StationEntry {
    QString pc;   // "PC": the station's name
    QString pcip; // "NAME/IP": host name or address the console connects to
    bool operator==(const StationEntry&) const = default;
};

// The station administration of the options dialog without its widgets. The page lists CYBER in
// table order, which is the order of the console's station table: row i of the page is station
// i of the console. Each change is one action writing CYBER; only once it is committed do the
// page list, the station table and the stations' connections follow, so a refused write changes
// none of them.
//
// Identifiers are not checked (an empty or repeated one is accepted); modify and remove act on
// the first CYBER row with the chosen row's PC, compared as the store compares names, and on the
// station at the chosen row's position. Addresses are checked: a host name or IPv4 address with
// an optional ":port", not used by another station.
class StationAdmin final {
public:
    struct Services {
        QSqlDatabase db;
        StationTable& stations;
        StationSockets& sockets;
        StationRows& rows;
        ActionStore& actions;
        Prompts& prompts;
    };

    explicit StationAdmin(Services services);

    // The page list from CYBER, in table order. False (the list emptied, the operator told)
    // when CYBER cannot be read.
    bool load();
    const std::vector<StationEntry>& entries() const { return m_entries; }

    // "Modificar" and "Quitar" first: whether the station at `row` is free. A busy one ("Modo"
    // not empty) gets "Para poder modificar/eliminar debe estar libre"; an invalid row is not
    // free and tells nothing.
    bool isFree(int row);

    // Whether `address` is a host name (letters, digits, "-", "_", labels joined by ".") or an
    // IPv4 address, followed by an optional ":port" from 1 to 65535. Blanks around are ignored.
    static bool isValidAddress(QStringView address);

    // "Aceptar" in mode ADD: the CYBER row (PC and PCIP only), then a new last station with a
    // closed connection, which the supervision connects on its next tick.
    bool add(const QString& pc, const QString& address);
    // "Aceptar" in mode MODIFY: the address of the station at `row`. When it changed, the
    // station's connection is closed so the next tick connects to the new address.
    bool modify(int row, const QString& address);
    // "Quitar": asks "Quitar puesto?", then removes the station at `row` with its connection;
    // the stations behind it move up with theirs.
    bool remove(int row);

private:
    // The message for an address that cannot be stored; nothing when it can. `except` is the
    // row being modified, whose own address does not count as used.
    std::optional<QString> addressProblem(const QString& address, int except) const;
    bool isBusy(int row) const;

    Services m_services;
    std::vector<StationEntry> m_entries;
};

} // namespace kestrel
