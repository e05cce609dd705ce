#pragma once

#include "core/numbers.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Journal;
class PendingPrints;
class Prompts;
class RemoteCommands;
class StationTable;
struct Station;

// Charging a station when its customer leaves: the bill of rental and pending prints, the change
// for the amount tendered, and the confirmed charge that locks the station, journals the prints
// and clears them. The charge dialog shows what this computes and passes the operator's input.
class Charging final {
public:
    struct Services {
        StationTable& stations;
        ActionStore& actions;
        PendingPrints& prints;
        RemoteCommands& commands;
        Journal& journal;
        Prompts& prompts;
    };

    // One line of the services list; its key is the service text.
    struct ServiceLine {
        QString cantidad; // "Cantidad": pages printed, or 1 for the rental
        QString servicio; // "Servicio": PrintService or RentalService
        QString valor;    // "Valor": the amount

        bool operator==(const ServiceLine&) const = default;
    };

    // What a station owes at the moment the dialog is opened.
    struct Bill {
        int station = -1;
        QString computerName;           // the station's pcnames, matched against the print jobs
        QString customer;               // the station's "Usuario"
        std::vector<ServiceLine> lines; // prints first when there are any, then the rental
        QString total;                  // "#0.00#": two or three decimals, no grouping
    };

    // The pages and amount of a station's print jobs that were charged.
    struct PrintCharge {
        qint16 pages = 0;
        Money amount;
    };

    // Failed: the store refused; nothing was charged and the operator was told why.
    enum class Outcome { NoAmount, TooLittle, NotConfirmed, Failed, Charged };

    static const QString PrintService;  // "SERVICIO DE IMPRESION"
    static const QString RentalService; // "ALQUILER DE PC"

    explicit Charging(Services services);
    Charging(const Charging&) = delete;
    Charging& operator=(const Charging&) = delete;

    // The bill of the station at `stationIndex`; nothing for an index outside the table.
    std::optional<Bill> build(int stationIndex) const;
    static Bill build(int stationIndex, const Station& station, const PendingPrints& prints);

    // The change for `tendered` against `total`, with two decimals. Nothing when the tendered
    // text is empty or no number: the change shown stays as it was.
    static std::optional<QString> CALCULATEC(const QString& tendered, const QString& total);

    // The charge dialog's "COBRAR": refuses a missing or short amount, asks for confirmation, then
    // locks the station and charges its print jobs as one action, and remembers the amount.
    Outcome COBRAR(const Bill& bill, const QString& tendered);

    // Removes the jobs of `computerName` (ignoring case) from the pending list and the store, and
    // journals them as one row of the station at `stationIndex`, as one action (or as part of the
    // action it runs in). Nothing when the action could not be committed.
    std::optional<PrintCharge> chargePrints(int stationIndex, const QString& computerName);

    // The tendered texts of the charges made so far, oldest first. Only shown to the operator.
    const QStringList& history() const { return m_history; }

private:
    Services m_services;
    QStringList m_history;
};

} // namespace kestrel
