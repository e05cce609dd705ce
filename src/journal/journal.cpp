#include "journal.h"

#include "core/clock.h"
#include "core/numbers.h"
#include "core/operatorsession.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

Journal::Journal(QSqlDatabase db, const OperatorSession& session, const Clock& clock,
                 QObject* parent)
    : QObject(parent), m_session(session), m_clock(clock),
      m_insert(std::move(db), u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, "
                              u"OPERADOR) VALUES (?, ?, ?, ?, ?, ?, ?)"_s)
{}

QString Journal::dateText(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString Journal::timeText(QTime time)
{
    return time.toString(u"HH:mm:ss"_s);
}

QString Journal::shownDate(const QString& stored)
{
    const QDate date = QDate::fromString(stored, Qt::ISODate);
    if (!date.isValid())
        return stored;
    // The regional short date, with the year in four digits like the status bar ("4/12/2026").
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(u"yyyy"_s))
        format.replace(u"yy"_s, u"yyyy"_s);
    return locale.toString(date, format);
}

bool Journal::ADDTOREG(JournalRecord& datos)
{
    if (datos[JournalField::User].isEmpty())
        datos[JournalField::User] = u"ANONIMO"_s;

    const std::optional<double> amount = parseNumber(datos[JournalField::Valor]);
    if (!amount) {
        emit writeFailed(u"No se registró la operación: el valor \""_s +
                         datos[JournalField::Valor] + u"\" no es un número."_s);
        return false;
    }
    const QDateTime now = m_clock.now();
    return write({dateText(now.date()), timeText(now.time()),
                  parseNumber(formatAmount(*amount)).value_or(0.0), datos[JournalField::User],
                  datos[JournalField::Pc], datos[JournalField::Descrip], m_session.name()});
}

bool Journal::addAccountRow(const QString& amount, const QString& user)
{
    const std::optional<double> value = parseNumber(amount);
    if (!value) {
        emit writeFailed(u"No se registró la operación: el valor \""_s + amount +
                         u"\" no es un número."_s);
        return false;
    }
    JournalRow row{dateText(m_clock.now().date()),
                   {},
                   parseNumber(formatAmount(*value)).value_or(0.0),
                   user,
                   u""_s,
                   u"CUENTA NUEVA"_s,
                   {}};
    row.timeless = true;
    return write(std::move(row));
}

bool Journal::write(JournalRow row)
{
    if (m_inTransaction && m_onRollback == OnRollback::DropOwnRows) {
        // An action's row is written now, after the older ones, or the action fails.
        if (!writeUnwritten() || !insert(row)) {
            m_transactionFailed = true;
            return false;
        }
        m_inCallerTransaction.push_back({std::move(row), true});
        return true;
    }
    m_unwritten.push_back(std::move(row));
    return writeUnwritten();
}

bool Journal::writeUnwritten()
{
    std::size_t done = 0;
    while (done < m_unwritten.size() && insert(m_unwritten[done]))
        ++done;
    if (m_inTransaction) {
        for (std::size_t i = 0; i < done; ++i)
            m_inCallerTransaction.push_back({m_unwritten[i], false});
    }
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + qsizetype(done));
    if (done > 0 && !m_inTransaction)
        emit written();
    return m_unwritten.empty();
}

bool Journal::insert(const JournalRow& row)
{
    const QVariant none(QMetaType::fromType<QString>());
    const bool ok =
        m_insert.exec({row.fecha, row.timeless ? none : QVariant(row.hora), row.valor, row.user,
                       row.pc, row.descrip, row.timeless ? none : QVariant(row.operador)});
    // An action reports its own failure. Otherwise the operator hears of the first row that
    // cannot be written; the ones that follow while the store keeps refusing wait with it,
    // without a notice every second.
    if (m_inTransaction && m_onRollback == OnRollback::DropOwnRows)
        return ok;
    if (!ok && !m_failing) {
        emit writeFailed(u"No se pudo registrar la operación de "_s + formatAmount(row.valor) +
                         u" (" + row.descrip + u"). Se registrará en cuanto se pueda.\n"_s +
                         m_insert.lastError());
    }
    m_failing = !ok;
    return ok;
}

void Journal::beginTransaction(OnRollback onRollback)
{
    m_inTransaction = true;
    m_onRollback = onRollback;
    m_transactionFailed = false;
    m_inCallerTransaction.clear();
}

void Journal::commitTransaction()
{
    const bool any = !m_inCallerTransaction.empty();
    m_inTransaction = false;
    m_transactionFailed = false;
    m_inCallerTransaction.clear();
    if (any)
        emit written();
}

void Journal::rollbackTransaction()
{
    std::vector<JournalRow> again;
    for (Written& w : m_inCallerTransaction) {
        // A tick's own rows are not told apart from older ones: all of them are kept.
        if (!w.own || m_onRollback == OnRollback::KeepOwnRows)
            again.push_back(std::move(w.row));
    }
    m_unwritten.insert(m_unwritten.begin(), again.begin(), again.end());
    m_inTransaction = false;
    m_transactionFailed = false;
    m_inCallerTransaction.clear();
}

} // namespace kestrel
