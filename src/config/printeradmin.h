#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class PrintMonitor;
class Prompts;

// One row of the "Impresiones" page: a printer and its price as the page shows it.
struct PrinterRow {
    QString name;     // "Nombre": as the spooler lists it, or as stored for a printer not listed
    QString price;    // "Valor/Impresion": valorporprint with two decimals; empty without a record
    QString count;    // "Cnt.x Desc": cantdest as stored
    QString discount; // "Descuento(%)": pordesct as stored
    bool listed = true; // false: stored in Impresoras, but the spooler does not list it now

    bool operator==(const PrinterRow&) const = default;
};

// The printer prices of the options dialog: every installed printer with its stored price, then
// every stored printer the spooler no longer lists, so its price stays editable. A printer's
// record is the first Impresoras row (table order) whose nombre matches ignoring case, the way
// the printer job monitor finds prices.
//
// The spooler may take seconds to answer (a network print server): the installed printers are
// asked for on the monitor's thread, and the page shows the stored printers until they come.
class PrinterAdmin final : public QObject {
    Q_OBJECT
public:
    struct Services {
        QSqlDatabase db;
        PrintMonitor& monitor;
        ActionStore& actions;
        Prompts& prompts;
    };

    explicit PrinterAdmin(Services services, QObject* parent = nullptr);

    // Asks for the installed printers and returns at once; rowsChanged() follows when they come.
    // Meanwhile the rows are the stored printers (listing() is true).
    void refresh();
    bool listing() const { return m_listing; }
    // The rows for these installed printers, in their order, read from Impresoras now. False,
    // with the operator told, when the table cannot be read.
    bool setInstalled(const QStringList& printers);
    const std::vector<PrinterRow>& rows() const { return m_rows; }

    // What a click on a row puts in the boxes: the name, the leading number of the price column
    // with two decimals, the count and discount columns as they are.
    struct Boxes {
        QString name;
        QString price;
        QString count;
        QString discount;
    };
    std::optional<Boxes> choose(int row) const;

    // "Guardar": the row of `name` shows the three texts as typed; its record (or a new one)
    // stores the leading number of each (full stop as decimal sign: "0,50" stores 0). One action.
    // Refused, with a message and nothing written, without a printer or for a number that is
    // negative or beyond the largest amount.
    bool save(const QString& name, const QString& price, const QString& count,
              const QString& discount);

signals:
    void rowsChanged();

private:
    Services m_services;
    std::vector<PrinterRow> m_rows;
    bool m_listing = false;
};

} // namespace kestrel
