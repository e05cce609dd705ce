#include "pendingprints.h"

#include "core/numbers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// A stored value as the list shows it: whole numbers as plain digits, any other number as its
// regional general text, text as it is.
QString shownValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return formatGeneralDouble(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

PendingPrints::PendingPrints(QSqlDatabase db, QObject* parent)
    : QObject(parent), m_db(std::move(db))
{}

bool PendingPrints::reload()
{
    m_rows.clear();
    m_lastError.clear();
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    // rowid order is the order the jobs were recorded in.
    if (!q.exec(u"SELECT * FROM Impresiones ORDER BY rowid"_s)) {
        m_lastError = q.lastError().text();
        emit changed();
        return false;
    }
    const QSqlRecord columns = q.record();
    const int printer = columns.indexOf(u"impresora"_s);
    const int machine = columns.indexOf(u"PC"_s);
    const int pages = columns.indexOf(u"cantidad"_s);
    const int amount = columns.indexOf(u"valor"_s);
    const int job = columns.indexOf(u"jobid"_s);
    // A null column leaves its field empty, as an absent column does.
    const auto field = [&q](int column) {
        return column < 0 || q.isNull(column) ? QString() : shownValue(q.value(column));
    };
    while (q.next())
        m_rows.push_back({field(printer), field(machine), field(pages), field(amount), field(job)});
    emit changed();
    return true;
}

bool PendingPrints::has(const QString& jobid, const QString& printer) const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [&](const PendingPrint& row) {
        return row.jobid == jobid && row.impresora == printer;
    });
}

bool PendingPrints::record(ActionStore::Action& action, const PendingPrint& row, int pagesPrinted,
                           const QString& fecha, const QString& hora)
{
    if (!action.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, pagimpres, valor, fecha, "
                     u"hora, jobid) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                     {row.maquina, row.impresora, row.cantidad.toInt(), pagesPrinted,
                      formatAmount(parseNumber(row.valor).value_or(0.0)), fecha, hora,
                      row.jobid.toInt()}))
        return false;
    append(row);
    return true;
}

bool PendingPrints::remove(ActionStore& actions, int index)
{
    if (index < 0 || index >= count())
        return false;
    const PendingPrint row = m_rows[std::size_t(index)];
    return actions.run(u"remover el trabajo de impresión"_s, [&](ActionStore::Action& a) {
        // The job is the same job id on the same printer from the same machine; a job id alone
        // repeats across printers.
        if (!a.exec(u"DELETE FROM Impresiones WHERE jobid = ? AND impresora = ? "
                    u"AND PC = ? COLLATE NOCASE"_s,
                    {row.jobid.toInt(), row.impresora, row.maquina}))
            return;
        const std::vector<PendingPrint> before = m_rows;
        a.onRollback([this, before] { replaceAll(before); });
        removeAt(index);
    });
}

bool PendingPrints::clear(ActionStore& actions)
{
    return actions.run(u"limpiar la lista de impresiones"_s, [&](ActionStore::Action& a) {
        if (!a.exec(u"DELETE FROM Impresiones"_s))
            return;
        const std::vector<PendingPrint> before = m_rows;
        a.onRollback([this, before] { replaceAll(before); });
        replaceAll({});
    });
}

void PendingPrints::append(const PendingPrint& row)
{
    m_rows.push_back(row);
    emit changed();
}

void PendingPrints::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    m_rows.erase(m_rows.begin() + index);
    emit changed();
}

void PendingPrints::replaceAll(std::vector<PendingPrint> rows)
{
    m_rows = std::move(rows);
    emit changed();
}

} // namespace kestrel
