#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace kestrel {

// A statement that is prepared on its first run and kept for the life of its owner, for work
// repeated every second. One that could not be prepared is tried again on the next run.
class PreparedStatement {
public:
    PreparedStatement(QSqlDatabase db, QString sql);

    // Binds the values in order and runs the statement; on failure lastError() says why.
    bool exec(const QVariantList& values);

    // The results of the last run.
    QSqlQuery& query() { return m_query; }
    QString lastError() const { return m_lastError; }

private:
    QSqlQuery m_query;
    QString m_sql;
    bool m_prepared = false;
    QString m_lastError;
};

} // namespace kestrel
