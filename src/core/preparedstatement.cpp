#include "preparedstatement.h"

#include <QSqlError>

namespace kestrel {

PreparedStatement::PreparedStatement(QSqlDatabase db, QString sql)
    : m_query(db), m_sql(std::move(sql))
{}

bool PreparedStatement::exec(const QVariantList& values)
{
    if (!m_prepared)
        m_prepared = m_query.prepare(m_sql);
    if (m_prepared) {
        for (const QVariant& v : values)
            m_query.addBindValue(v);
        if (m_query.exec())
            return true;
    }
    m_lastError = m_query.lastError().text();
    return false;
}

} // namespace kestrel
