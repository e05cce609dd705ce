#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include "stations/actionstore.h"

#include <vector>

namespace kestrel {

// One print job waiting to be charged, as the console's list "  Impresiones a cobrar" shows it.
struct PendingPrint {
    QString impresora; // "Impresora": printer name
    QString maquina;   // "Maquina": machine name that sent the job, as the spooler gives it
    QString cantidad;  // "Cantidad": total pages, a number text
    QString valor;     // "Valor": amount, a regional number text
    QString jobid;     // hidden key: the spooler's job identifier

    bool operator==(const PendingPrint&) const = default;
};

// The pending print list: the jobs recorded from the spooler and not yet charged, in the order
// they were recorded. It mirrors table Impresiones, from which it is reloaded at start.
class PendingPrints final : public QObject {
    Q_OBJECT
public:
    explicit PendingPrints(QSqlDatabase db, QObject* parent = nullptr);

    // Reads every row of Impresiones in table order into the list, replacing what it held.
    // False, with the list emptied and lastError() set, when the table cannot be read.
    bool reload();

    const std::vector<PendingPrint>& rows() const { return m_rows; }
    int count() const { return int(m_rows.size()); }

    // Whether the job is pending already: the same job id on the same printer.
    bool has(const QString& jobid, const QString& printer) const;

    // Records a job inside an action: its Impresiones row (the amount stored with the regional
    // two decimals, `fecha` and `hora` the date and time it was seen) and its list row. False
    // when the store refused (the action has failed).
    bool record(ActionStore::Action& action, const PendingPrint& row, int pagesPrinted,
                const QString& fecha, const QString& hora);

    // "Remover": the selected job leaves the list and the table; the machine's other jobs stay
    // pending. "Limpiar todos los trabajos": every job leaves both. Each is one action.
    bool remove(ActionStore& actions, int index);
    bool clear(ActionStore& actions);

    void append(const PendingPrint& row);
    void removeAt(int index);
    // The list as it was before an action that was given back.
    void replaceAll(std::vector<PendingPrint> rows);

    QString lastError() const { return m_lastError; }

signals:
    // The list changed (reload, append or removal): views read it again.
    void changed();

private:
    QSqlDatabase m_db;
    std::vector<PendingPrint> m_rows;
    QString m_lastError;
};

} // namespace kestrel
