#include "journal.h"

#include "core/clock.h"
#include "core/numbers.h"
#include "operators/operatorsession.h"

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
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : stored;
}

bool Journal::ADDTOREG(JournalRecord& datos)
{
    if (datos[JournalField::User].isEmpty())
        datos[JournalField::User] = u"ANONIMO"_s;

    const std::optional<double> amount = parseNumber(datos[JournalField::Valor]);
    if (!amount) {
        emit writeFailed(u"No se registro la operacion: el valor \""_s +
                         datos[JournalField::Valor] + u"\" no es un numero."_s);
        return false;
    }
    const QDateTime now = m_clock.now();
    JournalRow row{dateText(now.date()),
                   timeText(now.time()),
                   parseNumber(formatAmount(*amount)).value_or(0.0),
                   datos[JournalField::User],
                   datos[JournalField::Pc],
                   datos[JournalField::Descrip],
                   m_session.name()};
    m_unwritten.push_back(std::move(row));
    return writeUnwritten();
}

bool Journal::writeUnwritten()
{
    std::size_t done = 0;
    while (done < m_unwritten.size() && insert(m_unwritten[done]))
        ++done;
    if (m_inTransaction)
        m_inCallerTransaction.insert(m_inCallerTransaction.end(), m_unwritten.begin(),
                                     m_unwritten.begin() + qsizetype(done));
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + qsizetype(done));
    if (done > 0 && !m_inTransaction)
        emit written();
    return m_unwritten.empty();
}

bool Journal::insert(const JournalRow& row)
{
    const bool ok = m_insert.exec(
        {row.fecha, row.hora, row.valor, row.user, row.pc, row.descrip, row.operador});
    // The operator hears of the first row that cannot be written; the ones that follow while
    // the store keeps refusing wait with it, without a notice every second.
    if (!ok && !m_failing) {
        emit writeFailed(u"No se pudo registrar la operacion de "_s + formatAmount(row.valor) +
                         u" (" + row.descrip + u"). Se registrara en cuanto se pueda.\n"_s +
                         m_insert.lastError());
    }
    m_failing = !ok;
    return ok;
}

void Journal::beginTransaction()
{
    m_inTransaction = true;
    m_inCallerTransaction.clear();
}

void Journal::commitTransaction()
{
    const bool any = !m_inCallerTransaction.empty();
    m_inTransaction = false;
    m_inCallerTransaction.clear();
    if (any)
        emit written();
}

void Journal::rollbackTransaction()
{
    m_inTransaction = false;
    m_unwritten.insert(m_unwritten.begin(), m_inCallerTransaction.begin(),
                       m_inCallerTransaction.end());
    m_inCallerTransaction.clear();
}

} // namespace kestrel
