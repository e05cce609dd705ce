#include "journalofday.h"

#include "core/numbers.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

JournalOfDay::JournalOfDay(QSqlDatabase db, QDate day, QString operatorName)
    : m_db(std::move(db)), m_day(day), m_operator(std::move(operatorName))
{}

std::optional<std::vector<JournalRow>> JournalOfDay::rows()
{
    QString sql = u"SELECT FECHA, HORA, DESCRIP, PC, USER, VALOR, OPERADOR FROM INFORMES "
                  u"WHERE FECHA = ?"_s;
    if (!m_operator.isEmpty())
        sql += u" AND OPERADOR = ?"_s;
    sql += u" ORDER BY rowid"_s;

    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    if (ok) {
        query.addBindValue(Journal::dateText(m_day));
        if (!m_operator.isEmpty())
            query.addBindValue(m_operator);
        ok = query.exec();
    }
    if (!ok) {
        m_lastError = query.lastError().text();
        return std::nullopt;
    }
    std::vector<JournalRow> rows;
    while (query.next()) {
        JournalRow row;
        row.fecha = query.value(0).toString();
        row.hora = query.value(1).toString();
        row.descrip = query.value(2).toString();
        row.pc = query.value(3).toString();
        row.user = query.value(4).toString();
        row.valor = storedNumber(query.value(5)).value_or(0.0);
        row.operador = query.value(6).toString();
        rows.push_back(std::move(row));
    }
    m_lastError.clear();
    return rows;
}

} // namespace kestrel
